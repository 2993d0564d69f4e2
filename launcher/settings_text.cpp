#include "launcher/settings_text.h"

#include <algorithm>
#include <cstdint>

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

DecodingResult FromUtf16(std::string_view bytes, bool littleEndian, TextEncoding encoding) {
  if (bytes.size() % 2 != 0) {
    return {std::nullopt, DecodingProblem{0, L"the file ends in the middle of a UTF-16 character"}};
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
      return {std::nullopt,
              DecodingProblem{LineAt(text, i), L"this line holds a broken UTF-16 character"}};
    }
  }
  return {DecodedText{std::move(text), encoding}, std::nullopt};
}

}  // namespace

std::wstring_view EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kAnsi:
      return L"ANSI (the system's code page)";
    case TextEncoding::kUtf8:
      return L"UTF-8";
    case TextEncoding::kUtf8WithBom:
      return L"UTF-8 with byte order mark";
    case TextEncoding::kUtf16LeWithBom:
      return L"UTF-16LE with byte order mark";
    case TextEncoding::kUtf16BeWithBom:
      return L"UTF-16BE with byte order mark";
  }
  return L"?";
}

DecodingResult DecodeText(std::string_view bytes, const AnsiDecoder& fromAnsi) {
  DecodingResult result;
  if (bytes.starts_with(kUtf16LeBom)) {
    result = FromUtf16(bytes.substr(2), true, TextEncoding::kUtf16LeWithBom);
  } else if (bytes.starts_with(kUtf16BeBom)) {
    result = FromUtf16(bytes.substr(2), false, TextEncoding::kUtf16BeWithBom);
  } else if (bytes.starts_with(kUtf8ByteOrderMark)) {
    const std::string_view body = bytes.substr(kUtf8ByteOrderMark.size());
    std::size_t badAt = 0;
    if (std::optional<std::wstring> text = FromUtf8(body, badAt)) {
      result.decoded = DecodedText{std::move(*text), TextEncoding::kUtf8WithBom};
    } else {
      result.problem =
          DecodingProblem{LineAt(body, badAt), L"this line holds bytes that are not UTF-8"};
    }
  } else {
    std::size_t badAt = 0;
    std::optional<std::wstring> text = FromUtf8(bytes, badAt);
    if (text && !IsAscii(bytes)) {
      result.decoded = DecodedText{std::move(*text), TextEncoding::kUtf8};
    } else {
      result.decoded = DecodedText{fromAnsi(std::string(bytes)), TextEncoding::kAnsi};
    }
  }
  if (result.decoded) {
    const std::wstring& text = result.decoded->text;
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
      result.problem = DecodingProblem{
          LineAt(text, nul),
          L"this line holds a NUL character (a UTF-16 file must begin with its byte order mark)"};
      result.decoded.reset();
    }
  }
  return result;
}

}  // namespace tq
