#include "platform/win32/ansi_text.h"

#include <limits>

#include "common/error.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

int ToLength(std::size_t length) {
  if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw Overflow();
  }
  return static_cast<int>(length);
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  // The explicit length converts embedded NULs too and adds no terminator;
  // a character may take more than one byte.
  const int length = ToLength(text.size());
  const int needed =
      WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (needed > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
  }
  return bytes;
}

std::wstring AnsiToWide(const std::string& bytes) {
  if (bytes.empty()) {
    return {};
  }
  const int length = ToLength(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  if (needed > 0) {
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
  }
  return text;
}

}  // namespace tq
