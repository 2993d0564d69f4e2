#pragma once

#include <string>
#include <string_view>

namespace tq {

// The ANSI code pages the in-memory registry can play, so that tests see the
// program's text cross the narrow interface as on a real system.
enum class CodePage {
  // Single-byte Western European, as WideCharToMultiByte converts it but
  // without its "best fit" substitutions.
  kWindows1252,
  // A double-byte subset of Shift-JIS (code page 932): ASCII and half-width
  // katakana in one byte; in two bytes the ideographic space, 、 。 ・, all
  // hiragana and katakana, and the kanji 日 本 語. Other pairs that start with
  // a Shift-JIS lead byte read as ・ (U+30FB).
  kShiftJisSubset,
};

// In every conversion characters the code page lacks become '?', bytes that
// form no character read as one replacement character each, and NULs stay
// NULs.
std::string ToWindows1252(std::wstring_view text);
std::wstring FromWindows1252(std::string_view bytes);
std::string ToShiftJisSubset(std::wstring_view text);
std::wstring FromShiftJisSubset(std::string_view bytes);

inline std::string ToCodePage(CodePage codePage, std::wstring_view text) {
  return codePage == CodePage::kWindows1252 ? ToWindows1252(text) : ToShiftJisSubset(text);
}

inline std::wstring FromCodePage(CodePage codePage, std::string_view bytes) {
  return codePage == CodePage::kWindows1252 ? FromWindows1252(bytes) : FromShiftJisSubset(bytes);
}

}  // namespace tq
