#include "launcher/settings_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "common/text.h"
#include "common/unicode_text.h"

namespace tq {
namespace {

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool IsAscii(std::string_view bytes) {
  return std::ranges::all_of(bytes,
                             [](char byte) { return static_cast<std::uint8_t>(byte) < 0x80; });
}

SettingsResult<DecodedText> FromUtf16(std::string_view bytes, bool littleEndian,
                                      TextEncoding encoding) {
  if (bytes.size() % 2 != 0) {
    return SettingsFailure(0, {}, L"the file ends in the middle of a UTF-16 character");
  }
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    const std::uint32_t first = ByteAt(bytes, at);
    const std::uint32_t second = ByteAt(bytes, at + 1);
    text += static_cast<wchar_t>(littleEndian ? first | (second << 8) : (first << 8) | second);
  }
  // Each surrogate must be half of a pair.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint32_t unit = CodeUnit(text[i]);
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(CodeUnit(text[i + 1]))) {
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      return SettingsFailure(LineAt(text, i), {}, L"this line holds a broken UTF-16 character");
    }
  }
  return DecodedText{std::move(text), encoding};
}

SettingsResult<DecodedText> FromUtf8Bytes(std::string_view bytes, TextEncoding encoding) {
  std::size_t badAt = 0;
  std::optional<std::wstring> text = FromUtf8(bytes, badAt);
  if (!text) {
    return SettingsFailure(LineAt(bytes, badAt), {}, L"this line holds bytes that are not UTF-8");
  }
  return DecodedText{std::move(*text), encoding};
}

SettingsResult<DecodedText> Decoded(std::string_view bytes, const AnsiDecoder& fromAnsi) {
  if (bytes.starts_with(kUtf16LeBom)) {
    return FromUtf16(bytes.substr(kUtf16LeBom.size()), true, TextEncoding::kUtf16LeWithBom);
  }
  if (bytes.starts_with(kUtf16BeBom)) {
    return FromUtf16(bytes.substr(kUtf16BeBom.size()), false, TextEncoding::kUtf16BeWithBom);
  }
  if (bytes.starts_with(kUtf8ByteOrderMark)) {
    return FromUtf8Bytes(bytes.substr(kUtf8ByteOrderMark.size()), TextEncoding::kUtf8WithBom);
  }
  if (!IsAscii(bytes)) {
    if (SettingsResult<DecodedText> utf8 = FromUtf8Bytes(bytes, TextEncoding::kUtf8)) {
      return utf8;
    }
  }
  return DecodedText{fromAnsi(std::string(bytes)), TextEncoding::kAnsi};
}

}  // namespace

std::wstring_view EncodingName(TextEncoding encoding) {
  // In TextEncoding's order.
  constexpr std::array<std::wstring_view, 5> kNames = {
      L"ANSI (the system's code page)", L"UTF-8", L"UTF-8 with byte order mark",
      L"UTF-16LE with byte order mark", L"UTF-16BE with byte order mark"};
  return kNames[static_cast<std::size_t>(encoding)];
}

SettingsResult<DecodedText> DecodeText(std::string_view bytes, const AnsiDecoder& fromAnsi) {
  SettingsResult<DecodedText> decoded = Decoded(bytes, fromAnsi);
  if (decoded) {
    const std::wstring& text = decoded->text;
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
      return SettingsFailure(
          LineAt(text, nul), {},
          L"this line holds a NUL character (a UTF-16 file must begin with its byte order mark)");
    }
  }
  return decoded;
}

}  // namespace tq
