#include "tests/e2e/harness.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <stdexcept>
#include <system_error>

// Needs the Windows types first (harness.h brings them).
#include <tlhelp32.h>

namespace tq::e2e {
namespace {

// Call right after the failing call: `code` is the system's error for it.
std::runtime_error Failure(DWORD code, const std::string& what) {
  return std::runtime_error(what + " (system error " + std::to_string(code) + ")");
}

std::wstring EnvironmentValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return {};
  }
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

void CreateFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr)) {
    const DWORD code = GetLastError();
    throw Failure(code, "cannot create folder " + Narrow(path));
  }
}

void CopyInto(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
    const DWORD code = GetLastError();
    throw Failure(code, "cannot copy " + Narrow(from) + " to " + Narrow(to));
  }
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    const DWORD code = GetLastError();
    throw Failure(code, "no temporary folder");
  }
  std::wstring folder(buffer, length);
  if (folder.back() == L'\\') {
    folder.pop_back();
  }
  return folder;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The test's own environment with `overrides` set: "name=value" strings,
// each ending in a null, and one more null at the end.
std::vector<wchar_t> EnvironmentBlock(const EnvironmentOverrides& overrides) {
  std::vector<wchar_t> block;
  if (wchar_t* strings = GetEnvironmentStringsW(); strings != nullptr) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
      const std::wstring text(entry);
      // Entries such as "=C:=C:\x" start with '='; their name is the part
      // up to the second one.
      const std::wstring name = text.substr(0, text.find(L'=', 1));
      bool overridden = false;
      for (const auto& [overrideName, value] : overrides) {
        overridden = overridden || SameName(name, overrideName);
      }
      if (!overridden) {
        block.insert(block.end(), text.begin(), text.end());
        block.push_back(L'\0');
      }
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : overrides) {
    const std::wstring text = name + L"=" + value;
    block.insert(block.end(), text.begin(), text.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

std::wstring RequiredProgram(const wchar_t* variable) {
  const std::wstring value = EnvironmentValue(variable);
  if (value.empty()) {
    throw std::runtime_error("environment variable " + Narrow(variable) +
                             " must name a program (see tests/e2e/CMakeLists.txt)");
  }
  const std::wstring path = WindowsPathFromHost(value);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    throw Failure(code, "program not found: " + Narrow(path));
  }
  return path;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (const wchar_t c : text) {
    narrow += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return narrow;
}

Tick Now() { return GetTickCount64(); }

std::wstring WindowsPathFromHost(const std::wstring& path) {
  if (path.empty() || path.front() != L'/') {
    return path;
  }
  std::wstring windows = L"Z:" + path;
  for (wchar_t& c : windows) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  return windows;
}

unsigned EmulationLag() {
  return EnvironmentValue(L"TQ_WINDOWS_FLAVOUR") == L"emulated" ? 6000 : 0;
}

Programs Programs::FromEnvironment() {
  return {RequiredProgram(L"TQ_E2E_LAUNCHER"), RequiredProgram(L"TQ_E2E_STAND_IN_JAVA"),
          RequiredProgram(L"TQ_E2E_MESSAGE_BOX_SAMPLE")};
}

ScratchFolder::ScratchFolder() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  path_ = TempFolder() + L"\\tq-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter.QuadPart);
  CreateFolder(path_);
}

ScratchFolder::~ScratchFolder() {
  // A program that has only just ended may keep its file a moment longer.
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path_), error);
    if (!error) {
      return;
    }
    Sleep(100);
  }
}

LauncherLayout::LauncherLayout(const std::wstring& parent, const std::wstring& folderName,
                               const std::wstring& launcherProgram)
    : folder_(parent + L"\\" + folderName) {
  CreateFolder(folder_);
  CreateFolder(folder_ + L"\\Sorvanta");
  CreateFolder(folder_ + L"\\Sorvanta\\lib");
  CopyInto(launcherProgram, launcher());
}

std::wstring LauncherLayout::launcher() const { return folder_ + L"\\TovaneQuillon.exe"; }

std::wstring LauncherLayout::java() const { return folder_ + L"\\java.exe"; }

void LauncherLayout::PlaceJava(const std::wstring& standInJava) const {
  PlaceStandIn(standInJava, java());
}

void PlaceStandIn(const std::wstring& standInJava, const std::wstring& target) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(FolderOf(target)), error);
  CopyInto(standInJava, target);
}

WatchedProcess::WatchedProcess(UniqueHandle process, DWORD pid, Tick startedAt)
    : process_(std::move(process)), pid_(pid), startedAt_(startedAt) {}

WatchedProcess::~WatchedProcess() { Terminate(); }

bool WatchedProcess::Running() const {
  return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> WatchedProcess::WaitForExit(unsigned timeoutMilliseconds) {
  const unsigned lag = timeoutMilliseconds == 0 ? 0 : 3 * EmulationLag();
  if (!process_.valid() ||
      WaitForSingleObject(process_.get(), timeoutMilliseconds + lag) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  if (exitedAt_ == 0) {
    exitedAt_ = Now();
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

void WatchedProcess::Terminate() {
  if (Running()) {
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), 5000);
  }
}

BOOL CreateProcessTwiceIfWineLostIt(const wchar_t* program, wchar_t* commandLine, DWORD flags,
                                    void* environment, const wchar_t* folder, STARTUPINFOW* startup,
                                    PROCESS_INFORMATION* info, Tick* startedAt) {
  // CreateProcessW may change the command line it is given.
  const std::wstring line = commandLine;
  *startedAt = Now();
  if (CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, flags, environment, folder,
                     startup, info)) {
    return TRUE;
  }
  if (GetLastError() != ERROR_INTERNAL_ERROR) {
    return FALSE;
  }
  std::printf("Wine lost the new process while setting it up (error 1359): trying once more\n");
  std::fflush(stdout);
  Sleep(500);
  std::copy(line.begin(), line.end(), commandLine);
  commandLine[line.size()] = L'\0';
  *startedAt = Now();
  return CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, flags, environment, folder,
                        startup, info);
}

WatchedProcess StartProgram(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& workingDirectory,
                            const EnvironmentOverrides& environment) {
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) {
    line += L" " + arguments;
  }
  std::vector<wchar_t> writableLine(line.begin(), line.end());
  writableLine.push_back(L'\0');
  std::vector<wchar_t> block = EnvironmentBlock(environment);
  const std::wstring folder = workingDirectory.empty() ? FolderOf(program) : workingDirectory;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  Tick startedAt = 0;
  if (!CreateProcessTwiceIfWineLostIt(program.c_str(), writableLine.data(),
                                      DETACHED_PROCESS | CREATE_UNICODE_ENVIRONMENT, block.data(),
                                      folder.c_str(), &startup, &info, &startedAt)) {
    const DWORD code = GetLastError();
    throw Failure(code, "cannot start " + Narrow(program));
  }
  const UniqueHandle thread(info.hThread);
  return {UniqueHandle(info.hProcess), info.dwProcessId, startedAt};
}

WatchedProcess StartLauncher(const LauncherLayout& layout, const EnvironmentOverrides& environment,
                             const std::wstring& workingDirectory) {
  return StartProgram(layout.launcher(), {}, workingDirectory, environment);
}

std::vector<DWORD> ChildProcesses(DWORD parentPid) {
  std::vector<DWORD> children;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) {
    const DWORD code = GetLastError();
    throw Failure(code, "cannot list processes");
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == parentPid && entry.th32ProcessID != parentPid) {
      children.push_back(entry.th32ProcessID);
    }
  }
  return children;
}

std::wstring FindJavaOnSearchPath(const std::wstring& programFolder) {
  wchar_t system[MAX_PATH];
  wchar_t windows[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  GetWindowsDirectoryW(windows, MAX_PATH);
  // The order CreateProcessW searches: the starting program's folder, the
  // working directory, the system folders, then PATH.
  const std::wstring path = programFolder + L";" + programFolder + L";" + system + L";" + windows +
                            L"\\system;" + windows + L";" + EnvironmentValue(L"PATH");
  wchar_t found[MAX_PATH];
  const DWORD length = SearchPathW(path.c_str(), L"java.exe", nullptr, MAX_PATH, found, nullptr);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(found, length);
}

}  // namespace tq::e2e
