#include "tests/e2e/java_runtimes.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/win32/unique_any.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/number_probe.h"
#include "tests/launcher_expectations.h"

namespace tq::e2e {
namespace {

namespace fs = std::filesystem;

std::runtime_error Failure(const std::string& what, const std::wstring& path) {
  const DWORD code = GetLastError();
  return std::runtime_error(what + " " + Narrow(path) + " (system error " + std::to_string(code) +
                            ")");
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

unsigned long long TicksOf(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Marks a C:\tovane these tests made, so that one left by an interrupted
// run can be told from the user's own.
constexpr wchar_t kTovaneFolder[] = L"C:\\tovane";
constexpr wchar_t kOwnerMark[] = L"C:\\tovane\\made-by-tq-e2e";

bool SupportFolderIsOurs() { return Exists(kOwnerMark); }

}  // namespace

std::string ReadFileBytes(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    throw Failure("cannot open", path);
  }
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::error_code ignored;
  fs::create_directories(fs::path(FolderOf(path)), ignored);
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file.valid() ||
      !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw Failure("cannot write", path);
  }
}

FILETIME LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    throw Failure("cannot look at", path);
  }
  return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::wstring& path, const FILETIME& time) {
  const UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !SetFileTime(file.get(), nullptr, nullptr, &time)) {
    throw Failure("cannot set the time of", path);
  }
}

FolderSnapshot SnapshotOf(const std::wstring& folder) {
  FolderSnapshot snapshot;
  const std::size_t prefix = folder.size();
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs::path(folder))) {
    const std::wstring path = entry.path().wstring();
    if (entry.is_directory()) {
      snapshot[path.substr(prefix) + L"\\"] = {};
    } else {
      snapshot[path.substr(prefix)] = {ReadFileBytes(path), TicksOf(LastWriteTime(path))};
    }
  }
  return snapshot;
}

bool RemoveFolderTree(const std::wstring& folder) {
  for (int attempt = 0; attempt < 30; ++attempt) {
    std::error_code error;
    // Read-only files refuse deletion: make everything writable first.
    for (auto entry = fs::recursive_directory_iterator(fs::path(folder), error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
      SetFileAttributesW(entry->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    error.clear();
    fs::remove_all(fs::path(folder), error);
    if (!Exists(folder)) {
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const UniqueFindHandle search(FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
  if (!search) {
    return names;
  }
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  return names;
}

JavaRuntimeFolder::JavaRuntimeFolder(std::wstring home, const std::wstring& standInJava,
                                     SupportFiles supportFiles)
    : home_(std::move(home)) {
  PlaceStandIn(standInJava, java());
  std::error_code error;
  fs::create_directories(fs::path(home_ + L"\\lib\\ext"), error);
  if (error) {
    throw std::runtime_error("cannot make lib\\ext in " + Narrow(home_) + ": " + error.message());
  }
  if (supportFiles == SupportFiles::kPresent) {
    for (const expected::SupportFile& file : expected::kSupportFiles) {
      WriteFileBytes(home_ + expected::PathInRuntime(file), "installed with the runtime");
    }
  }
}

std::vector<std::wstring> JavaRuntimeSubkeys() {
  std::vector<std::wstring> names;
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey, 0, KEY_READ | KEY_WOW64_32KEY,
                    key.put()) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

SupportFolder::SupportFolder(State state) {
  if (Exists(expected::kSupportFolder) && !SupportFolderIsOurs()) {
    throw std::runtime_error(
        Narrow(expected::kSupportFolder) +
        " exists on this machine and was not made by these tests; "
        "it is left alone, and the tests that need that folder cannot run here");
  }
  if (SupportFolderIsOurs() && !RemoveFolderTree(kTovaneFolder)) {
    throw std::runtime_error("cannot remove the C:\\tovane an earlier run left");
  }
  if (state == State::kAbsent) {
    return;
  }
  madeParent_ = !Exists(kTovaneFolder);
  if (madeParent_) {
    WriteFileBytes(kOwnerMark, "removed by the end-to-end tests when they end");
  }
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    WriteFileBytes(expected::PathInSupportFolder(file), SupportFolderContent(file.name));
  }
}

SupportFolder::~SupportFolder() {
  if (madeParent_) {
    RemoveFolderTree(kTovaneFolder);
  } else if (Exists(expected::kSupportFolder)) {
    RemoveFolderTree(expected::kSupportFolder);
  }
}

std::string SupportFolderContent(std::wstring_view fileName) {
  // A name-dependent start and length, then every byte value in a run.
  unsigned seed = 0;
  for (const wchar_t c : fileName) {
    seed = seed * 31 + static_cast<unsigned>(c);
  }
  std::string bytes = "support file " + Narrow(std::wstring(fileName)) + "\r\n";
  const std::size_t size = 3000 + seed % 5000;
  for (std::size_t i = 0; i < size; ++i) {
    bytes += static_cast<char>((seed + i * 7) & 0xFF);
  }
  return bytes;
}

PlantedProgram::PlantedProgram(std::wstring path, const std::wstring& standInJava,
                               StandInRecords& records)
    : path_(std::move(path)), records_(records) {
  // A copy of the stand-in there is what an interrupted run left.
  if (Exists(path_) && ReadFileBytes(path_) != ReadFileBytes(standInJava)) {
    throw std::runtime_error(Narrow(path_) +
                             " exists on this machine and is not ours; it is left alone");
  }
  PlaceStandIn(standInJava, path_);
}

PlantedProgram::~PlantedProgram() {
  records_.StopAll();
  for (int attempt = 0; attempt < 30 && Exists(path_); ++attempt) {
    if (!DeleteFileW(path_.c_str())) {
      Sleep(100);
    }
  }
}

OwnedFolder::OwnedFolder(std::wstring path) : path_(std::move(path)) {
  if (!RemoveFolderTree(path_)) {
    throw std::runtime_error("cannot remove what an earlier run left at " + Narrow(path_));
  }
  if (!CreateDirectoryW(path_.c_str(), nullptr)) {
    throw Failure("cannot create folder", path_);
  }
}

OwnedFolder::~OwnedFolder() { RemoveFolderTree(path_); }

WatchedProcess StartCommandLine(const std::wstring& commandLine,
                                const EnvironmentOverrides& environment) {
  // The child inherits this process's variables: set them for the start
  // and put the old values back.
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved;
  for (const auto& [name, value] : environment) {
    wchar_t old[32768];
    const DWORD length = GetEnvironmentVariableW(name.c_str(), old, 32768);
    saved.emplace_back(name, length == 0 ? std::nullopt : std::optional(std::wstring(old, length)));
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Tick startedAt = 0;
  const BOOL started = CreateProcessTwiceIfWineLostIt(
      nullptr, line.data(), DETACHED_PROCESS, nullptr, nullptr, &startup, &info, &startedAt);
  const DWORD code = GetLastError();
  for (const auto& [name, old] : saved) {
    SetEnvironmentVariableW(name.c_str(), old ? old->c_str() : nullptr);
  }
  if (!started) {
    throw std::runtime_error("cannot start " + Narrow(commandLine) + " (system error " +
                             std::to_string(code) + ")");
  }
  const UniqueHandle thread(info.hThread);
  return {UniqueHandle(info.hProcess), info.dwProcessId, startedAt};
}

std::optional<double> UserFormatNumber(const std::wstring& numberProbe, const std::wstring& text) {
  WatchedProcess probe = StartProgram(numberProbe, text, {});
  const std::optional<DWORD> code = probe.WaitForExit(10000);
  if (!code) {
    throw std::runtime_error("the number probe does not end");
  }
  if (*code == kNumberProbeNoNumber) {
    return std::nullopt;
  }
  return static_cast<double>(*code) / kNumberProbeScale;
}

std::wstring NumberProbeProgram() {
  wchar_t value[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"TQ_E2E_NUMBER_PROBE", value, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) {
    throw std::runtime_error(
        "environment variable TQ_E2E_NUMBER_PROBE must name number_probe.exe "
        "(see tests/e2e/CMakeLists.txt)");
  }
  const std::wstring path = WindowsPathFromHost(std::wstring(value, length));
  if (!Exists(path)) {
    throw Failure("program not found:", path);
  }
  return path;
}

}  // namespace tq::e2e
