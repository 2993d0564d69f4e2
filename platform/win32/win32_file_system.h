#pragma once

#include <memory>
#include <string>

#include "interfaces/file_system.h"

namespace tq {

// The file operations on the Win32 file API.
//
// CopyFile never leaves a partly written file under the destination name:
// it copies into a temporary file of the destination folder and renames that
// onto the final name only once it is complete; on any failure the temporary
// file is deleted. Errors: 53 "File not found" when the source file is
// missing, 76 "Path not found" when the destination folder is missing, 70
// "Permission denied" when the folder or an existing destination refuses the
// file (a read-only destination is refused, not made writable), otherwise the
// system's code and message.
//
// Subfolders, ReadBytes and FinalPath give the system's errors as
// ErrorFromWin32 maps them: 53 for a missing file, 76 for a missing folder on
// the way, 70 for a folder read as a file or a refused read.
class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::wstring& path) override;
  void CopyFile(const std::wstring& source, const std::wstring& destinationFolder) override;
  std::vector<std::wstring> Subfolders(const std::wstring& folder) override;
  std::string ReadBytes(const std::wstring& path, std::size_t limit) override;
  std::wstring FinalPath(const std::wstring& path) override;
};

// The factory for ModMain.
std::unique_ptr<FileSystem> CreateWin32FileSystem();

}  // namespace tq
