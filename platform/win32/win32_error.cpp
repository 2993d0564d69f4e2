#include "platform/win32/win32_error.h"

#include "common/decimal_text.h"
#include "platform/win32/unique_any.h"

namespace tq {
namespace {

// The system's message text for a Win32 error code, without the line break
// at its end.
std::wstring SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueHlocal owner(buffer);
  std::wstring text = length == 0 ? std::wstring() : std::wstring(buffer, length);
  text.erase(text.find_last_not_of(L"\r\n ") + 1);
  if (text.empty()) {
    text = L"System error " + DecimalText(code);
  }
  return text;
}

}  // namespace

Error ErrorFromWin32(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return FileNotFound();
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      return PathNotFound();
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return PermissionDenied();
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return OutOfMemory();
    default:
      return {static_cast<int>(HRESULT_FROM_WIN32(code)), SystemMessage(code)};
  }
}

void ThrowLastErrorIf(bool failed) {
  if (failed) {
    throw ErrorFromWin32(GetLastError());
  }
}

}  // namespace tq
