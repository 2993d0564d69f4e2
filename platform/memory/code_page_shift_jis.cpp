#include <cstdint>
#include <optional>
#include <type_traits>

#include "common/unicode_text.h"
#include "platform/memory/code_pages.h"

namespace tq {
namespace {

constexpr char32_t kMiddleDot = 0x30FB;  // ・, also what unknown pairs read as

// The two-byte characters, in runs whose byte pairs and codes both go up by
// one: the hiragana, the katakana (in two, as no trail byte is 0x7F), the
// ideographic space, 、 and 。, then ・ and the kanji on their own.
struct Run {
  std::uint16_t bytes;
  char32_t code;
  std::uint32_t length;
};
constexpr Run kRuns[] = {{0x829F, 0x3041, 83}, {0x8340, 0x30A1, 63},    {0x8380, 0x30E0, 23},
                         {0x8140, 0x3000, 3},  {0x8145, kMiddleDot, 1}, {0x93FA, 0x65E5, 1},
                         {0x967B, 0x672C, 1},  {0x8CEA, 0x8A9E, 1}};

bool IsLeadByte(std::uint32_t byte) {
  return InRange(byte, 0x81, 0x9F) || InRange(byte, 0xE0, 0xFC);
}
bool IsTrailByte(std::uint32_t byte) {
  return InRange(byte, 0x40, 0x7E) || InRange(byte, 0x80, 0xFC);
}

char32_t DecodePair(std::uint32_t lead, std::uint32_t trail) {
  const std::uint32_t pair = (lead << 8) | trail;
  for (const Run& run : kRuns) {
    if (InRange(pair, run.bytes, run.bytes + run.length - 1)) {
      return run.code + (pair - run.bytes);
    }
  }
  return kMiddleDot;
}

std::optional<std::uint16_t> EncodePair(std::uint32_t code) {
  for (const Run& run : kRuns) {
    if (InRange(code, run.code, run.code + run.length - 1)) {
      return static_cast<std::uint16_t>(run.bytes + (code - run.code));
    }
  }
  return std::nullopt;
}

void AppendEncoded(std::string& bytes, std::uint32_t code) {
  if (code < 0x80) {
    bytes.push_back(static_cast<char>(code));
  } else if (InRange(code, 0xFF61, 0xFF9F)) {
    bytes.push_back(static_cast<char>(0xA1 + (code - 0xFF61)));
  } else if (const std::optional<std::uint16_t> pair = EncodePair(code)) {
    bytes.push_back(static_cast<char>(*pair >> 8));
    bytes.push_back(static_cast<char>(*pair & 0xFF));
  } else {
    bytes.push_back('?');
  }
}

}  // namespace

std::string ToShiftJisSubset(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const wchar_t letter : text) {
    AppendEncoded(bytes, static_cast<std::make_unsigned_t<wchar_t>>(letter));
  }
  return bytes;
}

std::wstring FromShiftJisSubset(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (byte < 0x80) {
      text.push_back(static_cast<wchar_t>(byte));
    } else if (InRange(byte, 0xA1, 0xDF)) {
      text.push_back(static_cast<wchar_t>(0xFF61 + (byte - 0xA1)));
    } else if (IsLeadByte(byte) && index + 1 < bytes.size() &&
               IsTrailByte(static_cast<unsigned char>(bytes[index + 1]))) {
      ++index;
      text.push_back(
          static_cast<wchar_t>(DecodePair(byte, static_cast<unsigned char>(bytes[index]))));
    } else {
      text.push_back(static_cast<wchar_t>(kMiddleDot));
    }
  }
  return text;
}

}  // namespace tq
