#include "platform/win32/win32_process_services.h"

#include "common/error.h"
#include "platform/win32/hardening.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

// A file that a started program writes its standard output and error to,
// at its end: opened for appending only, so that each write lands after
// what is there, whoever else writes to it.
UniqueHandle OpenOutputForChild(const std::wstring& path) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const Error reason = ErrorFromWin32(GetLastError());
    throw Error(reason.number(), L"The file for Java's output cannot be opened: " + path + L"\r\n" +
                                     reason.description());
  }
  return file;
}

}  // namespace

std::wstring Win32ProcessServices::LauncherProgram() {
  // The path may be longer than MAX_PATH.
  return TextFromCall(
      [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

std::wstring Win32ProcessServices::LauncherFolder() { return FolderOfPath(LauncherProgram()); }

std::wstring Win32ProcessServices::CommandLine() { return GetCommandLineW(); }

std::wstring Win32ProcessServices::ExpandEnvironment(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  // The size it gives counts the closing NUL; XP's ANSI-sized answer can be
  // larger than needed, never smaller.
  return TextFromCall(
      [&](wchar_t* buffer, DWORD size) {
        return ExpandEnvironmentStringsW(text.c_str(), buffer, size);
      },
      text.size() + 1);
}

std::wstring Win32ProcessServices::WorkingDirectory() {
  return TextFromCall(
      [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

void Win32ProcessServices::ChangeWorkingDirectory(const std::wstring& folder) {
  ThrowLastErrorIf(!SetCurrentDirectoryW(folder.c_str()));
}

unsigned long Win32ProcessServices::StartHidden(const std::wstring& commandLine,
                                                const StartOptions& options) {
  // CreateProcessW may write into the command line; give it a copy.
  std::wstring line = commandLine;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  UniqueHandle output;
  if (!options.outputFile.empty()) {
    output = OpenOutputForChild(options.outputFile);
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
  }
  const BOOL inherit = options.inheritHandles || output ? TRUE : FALSE;
  PROCESS_INFORMATION info{};
  const DefaultDllSearchForChildren defaultDllSearch;
  ThrowLastErrorIf(!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inherit, 0, nullptr,
                                   nullptr, &startup, &info));
  // Not ended with the launcher; the process is kept only to be watched.
  started_.reset(info.hProcess);
  const UniqueHandle thread(info.hThread);
  return info.dwProcessId;
}

std::optional<ProgramEnd> Win32ProcessServices::WaitForStartedProgram(
    unsigned timeoutMilliseconds) {
  if (!started_) {
    throw InvalidProcedureCall();
  }
  const DWORD began = GetTickCount();
  const DWORD waited = WaitForSingleObject(started_.get(), timeoutMilliseconds);
  ThrowLastErrorIf(waited == WAIT_FAILED);
  if (waited == WAIT_TIMEOUT) {
    return std::nullopt;
  }
  DWORD exitCode = 0;
  ThrowLastErrorIf(!GetExitCodeProcess(started_.get(), &exitCode));
  return ProgramEnd{exitCode, static_cast<unsigned>(GetTickCount() - began)};
}

}  // namespace tq
