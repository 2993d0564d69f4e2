#include "tests/e2e/stand_in_records.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "tests/e2e/stand_in_record.h"

namespace tq::e2e {
namespace {

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Unescape(const std::string& value) {
  std::string plain;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size()) {
      plain += static_cast<char>(std::strtoul(value.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      plain += value[i];
    }
  }
  return plain;
}

std::map<std::string, std::string> Lines(const std::string& text) {
  std::map<std::string, std::string> values;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
      values[line.substr(0, colon)] = Unescape(line.substr(colon + 2));
    }
    start = end + 1;
  }
  return values;
}

// Shares everything: right after the stand-in's rename, Wine still holds the
// record open with delete access for a moment, and a reader that refuses to
// share delete access is turned away.
std::string ReadWholeFile(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    return {};
  }
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

std::vector<std::wstring> RecordFiles(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = folder + L"\\*" + kRecordSuffix;
  const UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) {
    return files;
  }
  do {
    files.push_back(folder + L"\\" + found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  return files;
}

// A record that is listed is complete on disk, but a moment can pass before
// it can be opened; it has a second to become readable before it counts as
// broken.
std::optional<StandInRecord> ReadRecord(const std::wstring& file) {
  std::optional<StandInRecord> record;
  WaitUntil(
      [&] {
        record = ParseStandInRecord(ReadWholeFile(file));
        return record.has_value();
      },
      1000, 20);
  return record;
}

}  // namespace

std::optional<StandInRecord> ParseStandInRecord(const std::string& utf8) {
  const std::map<std::string, std::string> values = Lines(utf8);
  const auto has = [&](const std::string& key) { return values.count(key) != 0; };
  for (const char* key :
       {key::kPid, key::kParentPid, key::kStartedTick, key::kProgram, key::kWorkingDirectory,
        key::kCommandLine, key::kArgumentCount, key::kConsoleWindow}) {
    if (!has(key)) {
      return std::nullopt;
    }
  }
  StandInRecord record;
  record.pid = std::strtoul(values.at(key::kPid).c_str(), nullptr, 10);
  record.parentPid = std::strtoul(values.at(key::kParentPid).c_str(), nullptr, 10);
  record.startedAt = std::strtoull(values.at(key::kStartedTick).c_str(), nullptr, 10);
  record.program = FromUtf8(values.at(key::kProgram));
  record.workingDirectory = FromUtf8(values.at(key::kWorkingDirectory));
  record.commandLine = FromUtf8(values.at(key::kCommandLine));
  record.consoleWindow = values.at(key::kConsoleWindow);
  const unsigned long count = std::strtoul(values.at(key::kArgumentCount).c_str(), nullptr, 10);
  for (unsigned long i = 0; i < count; ++i) {
    const std::string name = key::kArgumentPrefix + std::to_string(i);
    if (!has(name)) {
      return std::nullopt;
    }
    record.arguments.push_back(FromUtf8(values.at(name)));
  }
  return record;
}

StandInRecords::StandInRecords(std::wstring folder) : folder_(std::move(folder)) {
  if (!CreateDirectoryW(folder_.c_str(), nullptr)) {
    throw std::runtime_error("cannot create the record folder");
  }
}

StandInRecords::~StandInRecords() { StopAll(); }

EnvironmentOverrides StandInRecords::Environment(unsigned lingerMilliseconds) const {
  return {{kRecordDirVariable, folder_}, {kLingerVariable, std::to_wstring(lingerMilliseconds)}};
}

std::vector<StandInRecord> StandInRecords::Read() {
  std::vector<StandInRecord> records;
  for (const std::wstring& file : RecordFiles(folder_)) {
    std::optional<StandInRecord> record = ReadRecord(file);
    if (!record) {
      throw std::runtime_error("a stand-in record is incomplete: " + Narrow(file));
    }
    if (processes_.count(record->pid) == 0) {
      processes_.emplace(record->pid,
                         UniqueHandle(OpenProcess(
                             SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                             FALSE, record->pid)));
    }
    records.push_back(std::move(*record));
  }
  std::sort(records.begin(), records.end(), [](const StandInRecord& a, const StandInRecord& b) {
    return a.startedAt < b.startedAt;
  });
  return records;
}

std::vector<StandInRecord> StandInRecords::WaitFor(std::size_t count,
                                                   unsigned timeoutMilliseconds) {
  std::vector<StandInRecord> records;
  WaitUntil(
      [&] {
        records = Read();
        return records.size() >= count;
      },
      timeoutMilliseconds, 50);
  return records;
}

bool StandInRecords::Running(DWORD pid) const {
  const auto process = processes_.find(pid);
  return process != processes_.end() && process->second.valid() &&
         WaitForSingleObject(process->second.get(), 0) == WAIT_TIMEOUT;
}

void StandInRecords::StopAll() {
  // A stand-in that has not written its record yet stops too: it looks for
  // the file right after writing.
  const std::wstring stop = folder_ + L"\\" + kStopFileName;
  const UniqueHandle file(CreateFileW(stop.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  try {
    Read();
  } catch (const std::runtime_error&) {
  }
  for (auto& [pid, process] : processes_) {
    if (process.valid() && WaitForSingleObject(process.get(), 3000) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 0xDEAD);
      WaitForSingleObject(process.get(), 3000);
    }
  }
}

}  // namespace tq::e2e
