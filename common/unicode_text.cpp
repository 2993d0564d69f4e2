#include "common/unicode_text.h"

#include "common/text.h"

namespace tq {
namespace {

void AppendCodePoint(std::wstring& text, std::uint32_t code) {
  if (code >= 0x10000) {
    code -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (code >> 10));
    text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    text += static_cast<wchar_t>(code);
  }
}

// The code point of the UTF-8 sequence at `at`, and its length; nothing
// when the bytes there are no shortest-form sequence of a Unicode scalar.
std::optional<std::uint32_t> Utf8CodePoint(std::string_view bytes, std::size_t at,
                                           std::size_t& length) {
  const std::uint8_t lead = ByteAt(bytes, at);
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  // Lead bytes of two (not C0 and C1, whose sequences are overlong), three
  // and four bytes (up to F4, beyond which lies no Unicode scalar).
  length = InRange(lead, 0xC2, 0xDF)   ? 2
           : InRange(lead, 0xE0, 0xEF) ? 3
           : InRange(lead, 0xF0, 0xF4) ? 4
                                       : 0;
  if (length == 0 || bytes.size() - at < length) {
    return std::nullopt;
  }
  constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  const std::uint32_t least = kLeast[length];
  std::uint32_t code = lead & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = ByteAt(bytes, at + i);
    if ((next & 0xC0U) != 0x80) {
      return std::nullopt;
    }
    code = (code << 6) | (next & 0x3FU);
  }
  if (code < least || code > 0x10FFFF || InRange(code, 0xD800, 0xDFFF)) {
    return std::nullopt;
  }
  return code;
}

}  // namespace

std::optional<std::wstring> FromUtf8(std::string_view bytes, std::size_t& badAt) {
  std::wstring text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t length = 0;
    const std::optional<std::uint32_t> code = Utf8CodePoint(bytes, at, length);
    if (!code) {
      badAt = at;
      return std::nullopt;
    }
    AppendCodePoint(text, *code);
    at += length;
  }
  return text;
}

std::string ToUtf8(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t code = CodeUnit(text[i]);
    if (IsHighSurrogate(code) && i + 1 < text.size() && IsLowSurrogate(CodeUnit(text[i + 1]))) {
      code = 0x10000 + ((code - 0xD800) << 10) + (CodeUnit(text[i + 1]) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(code) || IsLowSurrogate(code) || code > 0x10FFFF) {
      code = 0xFFFD;
    }
    // The lead byte, then six bits a byte from the highest.
    const int following = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    constexpr std::uint32_t kLeadBits[] = {0x00, 0xC0, 0xE0, 0xF0};
    bytes += static_cast<char>(kLeadBits[following] | (code >> (6 * following)));
    for (int shift = 6 * (following - 1); shift >= 0; shift -= 6) {
      bytes += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
    }
  }
  return bytes;
}

}  // namespace tq
