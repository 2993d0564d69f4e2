#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tq {

// The folder the serial-communication support files are copied from.
inline constexpr std::wstring_view kSupportFolder = L"C:\\tovane\\GsmModemJar";

// One support file and its place in a Java runtime. The copy keeps the
// source's file name, so the file is looked for under the destination folder
// followed by that name: holding the name once keeps the tested path and the
// copy's landing place from drifting apart.
struct SupportFile {
  // Below the runtime directory; begins and ends with a backslash.
  std::wstring_view destinationFolder;
  std::wstring_view fileName;
};

// In the order they are examined.
inline constexpr std::array<SupportFile, 4> kSupportFiles = {{
    {L"\\lib\\ext\\", L"Comm.jar"},
    {L"\\lib\\", L"javax.comm.properties"},
    {L"\\bin\\", L"Win32com.dll"},
    {L"\\lib\\ext\\", L"jdc.jar"},
}};

// The longest path the installation puts below a runtime's folder.
constexpr std::size_t LongestPathInRuntime() {
  std::size_t longest = 0;
  for (const SupportFile& file : kSupportFiles) {
    longest = std::max(longest, file.destinationFolder.size() + file.fileName.size());
  }
  return longest;
}

// The path tested for the file, to be appended to the runtime directory.
inline std::wstring TestedPath(const SupportFile& file) {
  return std::wstring(file.destinationFolder) + std::wstring(file.fileName);
}

// The absolute path of the file to copy.
inline std::wstring SourcePath(const SupportFile& file) {
  return std::wstring(kSupportFolder) + L"\\" + std::wstring(file.fileName);
}

}  // namespace tq
