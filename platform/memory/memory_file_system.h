#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/file_system.h"
#include "platform/memory/fault_plan.h"
#include "platform/memory/journal.h"

namespace tq {

// Files and folders in memory, named as Windows names them: letters in any
// case, backslashes or slashes, repeated separators read as one, a folder
// with or without its closing backslash. Copies follow the rules of the
// Win32 file system: 53 when the source file is missing, 76 when the
// destination folder is missing, 70 when the copy is refused. Reads and
// final paths fail as the Win32 layer's do: 53 for a missing file, 76 when
// a folder on the way is missing, 70 for a folder or a refused read.
class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem(Journal& journal, FaultPlan& faults) : recorder_{journal, faults} {}

  bool FileExists(const std::wstring& path) override;
  void CopyFile(const std::wstring& source, const std::wstring& destinationFolder) override;
  std::vector<std::wstring> Subfolders(const std::wstring& folder) override;
  std::string ReadBytes(const std::wstring& path, std::size_t limit) override;
  std::wstring FinalPath(const std::wstring& path) override;

  // Adds a folder and the folders above it.
  void AddFolder(const std::wstring& path);
  // Adds or replaces a file; the folders above it are added too.
  void AddFile(const std::wstring& path, std::string contents, bool readOnly = false);
  // A folder that exists but refuses every new or replaced file.
  void RefuseWrites(const std::wstring& folder);
  // A symbolic link or junction at link that leads to target, a file or a
  // folder: paths through it lead to what is at target (a link to a file is
  // a file that exists and reads as the target), and FinalPath names it.
  void AddLink(const std::wstring& link, const std::wstring& target);
  // ReadBytes of the file at path is refused (access denied).
  void RefuseReads(const std::wstring& path);

  [[nodiscard]] bool HasFolder(const std::wstring& path) const;
  // The file's contents, or nothing when no file is there.
  [[nodiscard]] std::optional<std::string> Contents(const std::wstring& path) const;
  // Every file, by the path it was created under, in a stable order.
  [[nodiscard]] std::vector<std::wstring> FilePaths() const;

 private:
  struct File {
    std::wstring path;
    std::string contents;
    bool readOnly = false;
    bool refusesReads = false;
  };
  struct Folder {
    std::wstring path;
    bool refusesWrites = false;
  };
  // The path tidied, with every link on the way replaced by its target.
  [[nodiscard]] std::wstring Resolved(const std::wstring& path) const;
  // The file at the resolved path; raises as the Win32 layer would when
  // nothing is there or a folder is.
  [[nodiscard]] const File& FileToOpen(const std::wstring& resolved) const;
  // The path tidied, once the folders above it are added.
  std::wstring TidyWithFoldersAbove(const std::wstring& path);

  CallRecorder recorder_;
  // By key (the path tidied, letters folded); std::less<> looks a part of a
  // key up without making a string of it.
  std::map<std::wstring, File, std::less<>> files_;
  std::map<std::wstring, Folder, std::less<>> folders_;
  // The links' targets, by the key of the link.
  std::map<std::wstring, std::wstring, std::less<>> links_;
};

// Hands a ModMain views of one MemoryFileSystem that the test keeps, so the
// test can prepare and inspect the files around the calls.
class MemoryFileSystemFactory {
 public:
  MemoryFileSystemFactory(MemoryFileSystem& files, Journal& journal, FaultPlan& faults)
      : files_(files), recorder_{journal, faults} {}

  // The factory to give to ModMain; valid as long as this object lives.
  FileSystemFactory Bind();

  // How often the factory was called.
  int calls = 0;

 private:
  MemoryFileSystem& files_;
  CallRecorder recorder_;
};

}  // namespace tq
