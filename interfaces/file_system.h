#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tq {

// The two file operations the support installation needs.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True only when a file (not a folder) exists at path; a missing folder on
  // the way gives false.
  virtual bool FileExists(const std::wstring& path) = 0;

  // Copies source into destinationFolder (which ends with a backslash) under
  // the source's file name, overwriting; creates no folder. Raises tq::Error
  // when the source or the folder is missing or the copy is refused.
  virtual void CopyFile(const std::wstring& source, const std::wstring& destinationFolder) = 0;
};

// Creates the file-system object at its first use; may raise tq::Error.
using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

}  // namespace tq
