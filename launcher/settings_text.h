#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "launcher/launch_settings.h"

namespace tq {

// How a settings file was saved. Notepad on Windows XP saves ANSI (the
// system's code page) or "Unicode" (UTF-16LE with a byte order mark); on
// Windows 10 and 11 it saves UTF-8, with or without one.
enum class TextEncoding {
  kAnsi,
  kUtf8,
  kUtf8WithBom,
  kUtf16LeWithBom,
  kUtf16BeWithBom,
};

// "UTF-8 with byte order mark" and the like, for the decision log.
std::wstring_view EncodingName(TextEncoding encoding);

// Turns the system code page's bytes into text.
using AnsiDecoder = std::function<std::wstring(const std::string&)>;

struct DecodedText {
  std::wstring text;  // UTF-16 code units, whatever the width of wchar_t
  TextEncoding encoding = TextEncoding::kAnsi;
};

// Reads a file's bytes as Windows does not: the same way on every Windows.
// A byte order mark decides; without one, bytes that are well-formed UTF-8
// are UTF-8 (ANSI text beyond ASCII practically never is), and anything else
// is the system's code page. Gives a problem for a malformed UTF-8 or UTF-16
// file and for a NUL character, which no text file holds, with the line
// (counted from 1) where it is.
SettingsResult<DecodedText> DecodeText(std::string_view bytes, const AnsiDecoder& fromAnsi);

}  // namespace tq
