#include "platform/memory/memory_launcher_files.h"

#include <algorithm>

#include "common/error.h"
#include "common/text.h"

namespace tq {

void MemoryLauncherFiles::AddFile(const std::wstring& path, std::string bytes) {
  files_[AsciiUpperCase(path)] = std::move(bytes);
}

void MemoryLauncherFiles::DenyRead(const std::wstring& path) {
  unreadable_.insert(AsciiUpperCase(path));
}

std::optional<std::string> MemoryLauncherFiles::ReadFile(const std::wstring& path,
                                                         std::size_t limit) {
  recorder_.Enter(Operation::kReadFile, path);
  const std::wstring key = AsciiUpperCase(path);
  if (unreadable_.contains(key)) {
    throw PermissionDenied();
  }
  const auto file = files_.find(key);
  return file == files_.end() ? std::nullopt : std::optional(file->second.substr(0, limit + 1));
}

std::wstring MemoryLauncherFiles::FromAnsi(const std::string& bytes) {
  return FromCodePage(codePage_, bytes);
}

std::wstring MemoryLauncherFiles::TemporaryFolder() {
  recorder_.Enter(Operation::kTemporaryFolder);
  return temporaryFolder;
}

std::uint64_t MemoryLauncherFiles::OpenLog(const std::wstring& path) {
  recorder_.Enter(Operation::kOpenLog, path);
  // The folder part, without its closing backslash; none for a bare name.
  const std::size_t slash = path.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  if (std::ranges::none_of(writableFolders, [&](const std::wstring& writable) {
        return SameIgnoringAsciiCase(writable, folder);
      })) {
    throw PathNotFound();
  }
  openLog_ = path;
  return logs[path].size();
}

void MemoryLauncherFiles::AppendLog(const std::string& bytes) {
  recorder_.Enter(Operation::kAppendLog);
  if (openLog_.empty()) {
    throw InvalidProcedureCall();
  }
  logs[openLog_] += bytes;
}

}  // namespace tq
