#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tq {

// The file operations the support installation and the runtime search need.
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

  // The names (not paths) of the folders directly inside folder, "." and ".." left out, in the
  // order of their names with letter case folded (SortByFoldedName in common/letter_case.h), so
  // every machine lists them alike. A missing folder gives an empty list; any other failure raises
  // tq::Error.
  virtual std::vector<std::wstring> Subfolders(const std::wstring& folder) = 0;

  // At most limit bytes from the start of the file at path (all of it when it is shorter). Raises
  // tq::Error when the file is missing, is a folder, or cannot be read.
  virtual std::string ReadBytes(const std::wstring& path, std::size_t limit) = 0;

  // The path of the file at path with every link and junction on the way resolved, as the system
  // names the file it opens, without the "\\?\" prefix ("\\?\UNC\server\share" becomes
  // "\\server\share"). Where the system cannot say (Windows XP has no GetFinalPathNameByHandleW),
  // the path as given. Raises tq::Error when the file cannot be opened.
  virtual std::wstring FinalPath(const std::wstring& path) = 0;
};

// Creates the file-system object at its first use; may raise tq::Error.
using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

}  // namespace tq
