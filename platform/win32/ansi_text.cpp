#include "platform/win32/ansi_text.h"

#include <limits>

#include "common/error.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

// All of `from` converted by `convert(from, length, to, size)`, which gives
// the size needed when it is given no room. The explicit length converts
// embedded NULs too and adds no terminator.
template <class To, class From, class Convert>
To Converted(const From& from, Convert convert) {
  if (from.empty()) {
    return {};
  }
  if (from.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw Overflow();
  }
  const int length = static_cast<int>(from.size());
  const int needed = convert(from.data(), length, nullptr, 0);
  To to(static_cast<std::size_t>(needed), {});
  if (needed > 0) {
    convert(from.data(), length, to.data(), needed);
  }
  return to;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
  return Converted<std::string>(text, [](const wchar_t* from, int length, char* to, int size) {
    return WideCharToMultiByte(CP_ACP, 0, from, length, to, size, nullptr, nullptr);
  });
}

std::wstring AnsiToWide(const std::string& bytes) {
  return Converted<std::wstring>(bytes, [](const char* from, int length, wchar_t* to, int size) {
    return MultiByteToWideChar(CP_ACP, 0, from, length, to, size);
  });
}

}  // namespace tq
