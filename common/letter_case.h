#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tq {

// Windows compares registry names and folder names without regard to letter
// case. The C library's towupper knows only ASCII in the "C" locale (on
// Windows as on Linux), so the letters of the European ANSI code pages are
// folded here, the same on every platform: ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and the full-width Latin letters. The in-memory registry,
// the subkey collection and the single-instance guard fold by this rule:
// the name with every letter upper-cased; equal folded names are the same
// registry name, or the same folder.
std::wstring FoldedName(std::wstring_view name);

// Puts names in the order of their folded names (names that fold alike in
// the order of their own code units), so a folder listing comes out the
// same whatever order the system gave it in.
void SortByFoldedName(std::vector<std::wstring>& names);

// The name of the single-instance guard of a launcher folder, a named object
// of the machine: "Global\TovaneQuillon.SingleInstance." and the 64-bit
// FNV-1a hash of the folded folder's UTF-16 code units, low byte first (an
// object's name holds no backslash and is short). The Win32 guard and its
// in-memory double both name their guards so.
std::wstring InstanceGuardName(const std::wstring& launcherFolder);

}  // namespace tq
