#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

#include "platform/memory/code_pages.h"

namespace tq {
namespace {

// 0x80..0x9F; the five unassigned bytes map to the C1 controls of the same
// number, as Windows does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char EncodeWindows1252(std::uint32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
    return static_cast<char>(code);
  }
  const auto high = std::ranges::find(kHighControls, code);
  return high == kHighControls.end() ? '?'
                                     : static_cast<char>(0x80 + (high - kHighControls.begin()));
}

}  // namespace

std::string ToWindows1252(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t letter : text) {
    bytes.push_back(EncodeWindows1252(static_cast<std::make_unsigned_t<wchar_t>>(letter)));
  }
  return bytes;
}

std::wstring FromWindows1252(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text.push_back(code >= 0x80 && code <= 0x9F ? static_cast<wchar_t>(kHighControls[code - 0x80])
                                                : static_cast<wchar_t>(code));
  }
  return text;
}

}  // namespace tq
