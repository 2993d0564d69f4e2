#include "platform/win32/win32_launcher_files.h"

#include "common/error.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/file_bytes.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

std::optional<std::string> Win32LauncherFiles::ReadFile(const std::wstring& path,
                                                        std::size_t limit) {
  const UniqueHandle file = OpenToRead(path);
  if (!file) {
    const DWORD code = GetLastError();
    // No file is no error; a folder of that name is one, and so is a
    // file that may not be read.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
      return std::nullopt;
    }
    throw ErrorFromWin32(code);
  }
  // One byte beyond the limit tells a file that is too large.
  return ReadUpTo(file.get(), limit + 1);
}

std::wstring Win32LauncherFiles::FromAnsi(const std::string& bytes) { return AnsiToWide(bytes); }

std::wstring Win32LauncherFiles::TemporaryFolder() {
  return TextFromCall([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); },
                      MAX_PATH + 1);
}

std::uint64_t Win32LauncherFiles::OpenLog(const std::wstring& path) {
  // Appending only: each write lands at the end as one piece, also when
  // two launchers log to one file. Not inherited by Java.
  UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ThrowLastErrorIf(!file);
  LARGE_INTEGER size{};
  ThrowLastErrorIf(!GetFileSizeEx(file.get(), &size));
  log_ = std::move(file);
  return static_cast<std::uint64_t>(size.QuadPart);
}

void Win32LauncherFiles::AppendLog(const std::string& bytes) {
  if (!log_) {
    throw InvalidProcedureCall();
  }
  DWORD written = 0;
  ThrowLastErrorIf(
      !WriteFile(log_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  if (written != bytes.size()) {
    throw ErrorFromWin32(ERROR_DISK_FULL);
  }
}

}  // namespace tq
