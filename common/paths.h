#pragma once

#include <string>

namespace tq {

// The longest path the launcher hands to Windows (MAX_PATH less its NUL).
inline constexpr std::size_t kLongestPath = 259;

inline bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The folder part of an executable's full path: everything before its last
// backslash, keeping the backslash of a drive root ("C:\").
std::wstring FolderOfPath(const std::wstring& path);

// `path` taken from `folder` when it is relative: "jre" and "..\jre" from the
// folder, "\jre" from the root of its drive; "C:\jre", "C:jre" and
// "\\server\share" as they stand.
std::wstring PathFrom(const std::wstring& folder, const std::wstring& path);

// The folder without the separators that close it: "C:\\jre\\" names the
// folder "C:\\jre"; a drive's root ("C:\\") keeps its own.
std::wstring WithoutClosingSeparators(std::wstring folder);

// The file beside the program named after it, with another extension:
// "C:\App\TovaneQuillon.exe" and L".ini" give "C:\App\TovaneQuillon.ini".
std::wstring SiblingFile(const std::wstring& program, const std::wstring& extension);

// The last part of a path: "C:\jre\bin" gives "bin".
std::wstring FileNameOfPath(const std::wstring& path);

// The name of the program without its folder and its ".exe".
std::wstring ProgramBaseName(const std::wstring& program);

}  // namespace tq
