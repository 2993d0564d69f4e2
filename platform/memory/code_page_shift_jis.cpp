#include <cstdint>
#include <optional>
#include <type_traits>

#include "platform/memory/code_pages.h"

namespace tq {
namespace {

constexpr char32_t kMiddleDot = 0x30FB;  // ・, also what unknown pairs read as

// The two-byte characters outside the runs of kana: the ideographic space,
// 、 。 ・ and three kanji.
struct Pair {
  std::uint16_t bytes;
  char32_t code;
};
constexpr Pair kPairs[] = {{0x8140, 0x3000},     {0x8141, 0x3001}, {0x8142, 0x3002},
                           {0x8145, kMiddleDot}, {0x93FA, 0x65E5}, {0x967B, 0x672C},
                           {0x8CEA, 0x8A9E}};

constexpr bool Within(std::uint32_t value, std::uint32_t first, std::uint32_t last) {
  return value >= first && value <= last;
}

bool IsLeadByte(std::uint32_t byte) { return Within(byte, 0x81, 0x9F) || Within(byte, 0xE0, 0xFC); }
bool IsTrailByte(std::uint32_t byte) {
  return Within(byte, 0x40, 0x7E) || Within(byte, 0x80, 0xFC);
}

char32_t DecodePair(std::uint32_t lead, std::uint32_t trail) {
  if (lead == 0x82 && Within(trail, 0x9F, 0xF1)) {
    return 0x3041 + (trail - 0x9F);
  }
  if (lead == 0x83 && Within(trail, 0x40, 0x7E)) {
    return 0x30A1 + (trail - 0x40);
  }
  if (lead == 0x83 && Within(trail, 0x80, 0x96)) {
    return 0x30E0 + (trail - 0x80);
  }
  for (const Pair& pair : kPairs) {
    if (pair.bytes == ((lead << 8) | trail)) {
      return pair.code;
    }
  }
  return kMiddleDot;
}

std::optional<std::uint16_t> EncodePair(std::uint32_t code) {
  if (Within(code, 0x3041, 0x3093)) {
    return static_cast<std::uint16_t>(0x829F + (code - 0x3041));
  }
  if (Within(code, 0x30A1, 0x30DF)) {
    return static_cast<std::uint16_t>(0x8340 + (code - 0x30A1));
  }
  if (Within(code, 0x30E0, 0x30F6)) {
    return static_cast<std::uint16_t>(0x8380 + (code - 0x30E0));
  }
  for (const Pair& pair : kPairs) {
    if (pair.code == code) {
      return pair.bytes;
    }
  }
  return std::nullopt;
}

void AppendEncoded(std::string& bytes, std::uint32_t code) {
  if (code < 0x80) {
    bytes.push_back(static_cast<char>(code));
  } else if (Within(code, 0xFF61, 0xFF9F)) {
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
    } else if (Within(byte, 0xA1, 0xDF)) {
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
