#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

// Small rules of plain text that the settings file, the command line and the
// decision log share.

// A blank between words: a space or a tab, as on a command line.
constexpr bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The text without the blanks around it.
std::wstring_view Trimmed(std::wstring_view text);

// The text in double quotes, as messages and the log show a name.
std::wstring Quoted(std::wstring_view text);

// A byte of binary data as a number, whatever the sign of char.
inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

// What a UTF-8 file begins with for Notepad, on every Windows from XP on, to
// take it for UTF-8 rather than the system's code page.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// CR LF, LF and CR each end a line, as Notepad counts them: whether a line
// ends at `at` (a CR LF pair ends at its LF).
template <class Text>
bool EndsLine(const Text& text, std::size_t at) {
  return text[at] == '\n' || (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'));
}

// The line, counted from 1, that holds the character at `at`.
template <class Text>
int LineAt(const Text& text, std::size_t at) {
  int line = 1;
  for (std::size_t i = 0; i < at && i < text.size(); ++i) {
    line += EndsLine(text, i) ? 1 : 0;
  }
  return line;
}

// The lines of a text, without their line breaks. A text ends in a line of
// its own, empty when it ends in a line break.
std::vector<std::wstring_view> Lines(std::wstring_view text);

// ASCII letters compared without regard to case; names of settings,
// switches and file extensions are ASCII.
constexpr wchar_t AsciiUpper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
constexpr wchar_t AsciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
std::wstring AsciiUpperCase(std::wstring_view text);
std::wstring AsciiLowerCase(std::wstring_view text);

}  // namespace tq
