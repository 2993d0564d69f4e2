#include "platform/win32/win32_process_services.h"

#include <vector>

#include "platform/win32/default_dll_search_for_children.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

std::wstring FolderOfPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) {
    return path;
  }
  std::wstring folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') {
    folder += L'\\';
  }
  return folder;
}

std::wstring Win32ProcessServices::LauncherFolder() {
  // The path may be longer than MAX_PATH: grow until it fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    ThrowLastErrorIf(length == 0);
    if (length < buffer.size()) {
      return FolderOfPath(std::wstring(buffer.data(), length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring Win32ProcessServices::WorkingDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    ThrowLastErrorIf(length == 0);
    if (length < buffer.size()) {
      return {buffer.data(), length};
    }
    buffer.resize(length);
  }
}

void Win32ProcessServices::ChangeWorkingDirectory(const std::wstring& folder) {
  ThrowLastErrorIf(!SetCurrentDirectoryW(folder.c_str()));
}

void Win32ProcessServices::StartHidden(const std::wstring& commandLine) {
  // CreateProcessW may write into the command line; give it a copy.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  const DefaultDllSearchForChildren defaultDllSearch;
  ThrowLastErrorIf(!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info));
  // Not waited for, not ended with the launcher: only the handles go.
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
}

}  // namespace tq
