#include "platform/memory/memory_file_system.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "common/error.h"
#include "common/letter_case.h"
#include "common/paths.h"

namespace tq {

namespace {

// The path as Windows reads it: slashes become backslashes, a run of
// separators counts as one (except the two that open a network path), and a
// closing separator is dropped.
std::wstring Tidy(const std::wstring& path) {
  std::wstring tidy;
  tidy.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const bool separator = IsPathSeparator(path[i]);
    if (separator && !tidy.empty() && tidy.back() == L'\\' && i > 1) {
      continue;
    }
    tidy.push_back(separator ? L'\\' : path[i]);
  }
  while (tidy.size() > 2 && tidy.back() == L'\\') {
    tidy.pop_back();
  }
  return tidy;
}

// Windows compares names without regard to case. Folding keeps the length,
// so a prefix of a tidy path and the same prefix of its key go together.
std::wstring Key(const std::wstring& path) { return FoldedName(Tidy(path)); }

}  // namespace

std::wstring MemoryFileSystem::Resolved(const std::wstring& path) const {
  std::wstring tidy = Tidy(path);
  // Bounded, as the system bounds a chain of links (and a loop of them).
  for (int links = 0; links < 32 && !links_.empty(); ++links) {
    // The first link on the way: a part of the path that ends at a
    // separator or at its end.
    const std::wstring key = FoldedName(tidy);
    std::size_t end = 0;
    auto link = links_.end();
    while (link == links_.end() && end != key.size()) {
      end = std::min(key.find(L'\\', end + 1), key.size());
      link = links_.find(std::wstring_view(key).substr(0, end));
    }
    if (link == links_.end()) {
      break;
    }
    tidy = Tidy(link->second + tidy.substr(end));
  }
  return tidy;
}

const MemoryFileSystem::File& MemoryFileSystem::FileToOpen(const std::wstring& resolved) const {
  const std::wstring key = FoldedName(resolved);
  const auto file = files_.find(key);
  if (file != files_.end()) {
    return file->second;
  }
  if (folders_.contains(key)) {
    throw PermissionDenied();
  }
  const std::size_t slash = key.find_last_of(L'\\');
  if (slash != std::wstring::npos && !folders_.contains(std::wstring_view(key).substr(0, slash))) {
    throw PathNotFound();
  }
  throw FileNotFound();
}

bool MemoryFileSystem::FileExists(const std::wstring& path) {
  recorder_.Enter(Operation::kFileExists, path);
  // A name with a closing separator asks for a folder, never a file.
  if (path.empty() || IsPathSeparator(path.back())) {
    return false;
  }
  return files_.contains(FoldedName(Resolved(path)));
}

std::vector<std::wstring> MemoryFileSystem::Subfolders(const std::wstring& folder) {
  recorder_.Enter(Operation::kSubfolders, folder);
  const std::wstring prefix = FoldedName(Resolved(folder)) + L"\\";
  std::vector<std::wstring> names;
  for (auto inside = folders_.lower_bound(prefix);
       inside != folders_.end() && inside->first.starts_with(prefix); ++inside) {
    if (inside->first.find(L'\\', prefix.size()) == std::wstring::npos) {
      names.push_back(FileNameOfPath(inside->second.path));
    }
  }
  SortByFoldedName(names);
  return names;
}

std::string MemoryFileSystem::ReadBytes(const std::wstring& path, std::size_t limit) {
  recorder_.Enter(Operation::kReadBytes, path);
  const File& file = FileToOpen(Resolved(path));
  if (file.refusesReads) {
    throw PermissionDenied();
  }
  return file.contents.substr(0, limit);
}

std::wstring MemoryFileSystem::FinalPath(const std::wstring& path) {
  recorder_.Enter(Operation::kFinalPath, path);
  const std::wstring resolved = Resolved(path);
  // Opened as the Win32 layer opens it, folders too.
  const auto folder = folders_.find(FoldedName(resolved));
  return folder != folders_.end() ? folder->second.path : FileToOpen(resolved).path;
}

void MemoryFileSystem::CopyFile(const std::wstring& source, const std::wstring& destinationFolder) {
  recorder_.Enter(Operation::kCopyFile, source + L" " + destinationFolder);
  const auto original = files_.find(Key(source));
  if (original == files_.end()) {
    throw FileNotFound();
  }
  const std::wstring folderKey = Key(destinationFolder);
  const auto folder = folders_.find(folderKey);
  if (folder == folders_.end()) {
    throw PathNotFound();
  }
  const std::wstring name = FileNameOfPath(original->second.path);
  const std::wstring targetKey = folderKey + L"\\" + Key(name);
  if (targetKey == original->first) {
    return;
  }
  const auto existing = files_.find(targetKey);
  if (folder->second.refusesWrites || folders_.contains(targetKey) ||
      (existing != files_.end() && existing->second.readOnly)) {
    throw PermissionDenied();
  }
  File copy = original->second;
  copy.path = Tidy(destinationFolder) + L"\\" + name;
  files_[targetKey] = std::move(copy);
}

void MemoryFileSystem::AddFolder(const std::wstring& path) {
  const std::wstring tidy = Tidy(path);
  const std::wstring key = FoldedName(tidy);
  // Every prefix that ends before a separator is a folder on the way. Such
  // a prefix of a tidy path is tidy, so its key is the same prefix of the
  // key: each path is tidied and folded once, however deep it lies.
  for (std::size_t end = tidy.find(L'\\', 1); end != std::wstring::npos;
       end = tidy.find(L'\\', end + 1)) {
    if (end > 1 && !folders_.contains(std::wstring_view(key).substr(0, end))) {
      folders_.emplace(key.substr(0, end), Folder{tidy.substr(0, end)});
    }
  }
  folders_.try_emplace(key, Folder{tidy});
}

std::wstring MemoryFileSystem::TidyWithFoldersAbove(const std::wstring& path) {
  std::wstring tidy = Tidy(path);
  if (const std::size_t slash = tidy.find_last_of(L'\\'); slash != std::wstring::npos) {
    AddFolder(tidy.substr(0, slash));
  }
  return tidy;
}

void MemoryFileSystem::AddFile(const std::wstring& path, std::string contents, bool readOnly) {
  const std::wstring tidy = TidyWithFoldersAbove(path);
  files_[FoldedName(tidy)] = File{tidy, std::move(contents), readOnly};
}

void MemoryFileSystem::RefuseWrites(const std::wstring& folder) {
  AddFolder(folder);
  folders_.at(Key(folder)).refusesWrites = true;
}

void MemoryFileSystem::AddLink(const std::wstring& link, const std::wstring& target) {
  links_[FoldedName(TidyWithFoldersAbove(link))] = target;
}

void MemoryFileSystem::RefuseReads(const std::wstring& path) {
  files_.at(Key(path)).refusesReads = true;
}

bool MemoryFileSystem::HasFolder(const std::wstring& path) const {
  return folders_.contains(Key(path));
}

std::optional<std::string> MemoryFileSystem::Contents(const std::wstring& path) const {
  const auto file = files_.find(Key(path));
  return file == files_.end() ? std::nullopt : std::optional(file->second.contents);
}

std::vector<std::wstring> MemoryFileSystem::FilePaths() const {
  std::vector<std::wstring> paths;
  paths.reserve(files_.size());
  for (const auto& [key, file] : files_) {
    paths.push_back(file.path);
  }
  return paths;
}

namespace {

// What the factory hands out: ModMain owns the view, the test keeps the
// files.
class MemoryFileSystemView final : public FileSystem {
 public:
  explicit MemoryFileSystemView(MemoryFileSystem& files) : files_(files) {}

  bool FileExists(const std::wstring& path) override { return files_.FileExists(path); }
  void CopyFile(const std::wstring& source, const std::wstring& destinationFolder) override {
    files_.CopyFile(source, destinationFolder);
  }
  std::vector<std::wstring> Subfolders(const std::wstring& folder) override {
    return files_.Subfolders(folder);
  }
  std::string ReadBytes(const std::wstring& path, std::size_t limit) override {
    return files_.ReadBytes(path, limit);
  }
  std::wstring FinalPath(const std::wstring& path) override { return files_.FinalPath(path); }

 private:
  MemoryFileSystem& files_;
};

}  // namespace

FileSystemFactory MemoryFileSystemFactory::Bind() {
  return [this]() -> std::unique_ptr<FileSystem> {
    ++calls;
    recorder_.Enter(Operation::kCreateFileSystem);
    return std::make_unique<MemoryFileSystemView>(files_);
  };
}

}  // namespace tq
