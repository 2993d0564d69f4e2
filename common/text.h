#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

// Plain text as the settings file, the command line and the log read it.

// A blank between words: a space or a tab, as on a command line.
constexpr bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trimmed(std::wstring_view text);  // without the blanks around it
std::wstring Quoted(std::wstring_view text);        // in double quotes
// The parts one after the other, made in one allocation. Long messages and
// log lines are built so rather than with a chain of +, which inlines a
// temporary and its clean-up for every part: the program stays small.
std::wstring Concatenated(std::initializer_list<std::wstring_view> parts);
// Paths are often written in quotes, as on a command line; the quotes are no
// part of the folder's name: the text inside them, trimmed.
std::wstring_view Unquoted(std::wstring_view text);

// A byte of binary data as a number, whatever the sign of char.
inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

// Notepad, on every Windows from XP on, takes a file that begins with it for
// UTF-8 rather than the system's code page.
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

// The items of a list, trimmed, empty ones left out: "JavaSoft, Folders"
// and ',' give "JavaSoft" and "Folders".
std::vector<std::wstring_view> ItemsOf(std::wstring_view list, wchar_t separator);

// The lines of a text, without their line breaks; after a final line break
// comes an empty line.
std::vector<std::wstring_view> Lines(std::wstring_view text);

// Names of settings, switches and file extensions are ASCII and match in any
// case.
constexpr wchar_t AsciiUpper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
std::wstring AsciiUpperCase(std::wstring_view text);
bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace tq
