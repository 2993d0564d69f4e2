#pragma once

#include <string>
#include <string_view>

namespace tq {

// Windows compares registry names and folder names without regard to letter
// case. The C library's towupper knows only ASCII in the "C" locale (on
// Windows as on Linux), so the letters of the European ANSI code pages are
// folded here, the same on every platform: ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and the full-width Latin letters. The in-memory registry,
// the subkey collection and the single-instance guard all fold by this rule.
wchar_t UpperCaseLetter(wchar_t letter);

// The name with every letter upper-cased; equal folded names are the same
// registry name, or the same folder.
std::wstring FoldedName(std::wstring_view name);

}  // namespace tq
