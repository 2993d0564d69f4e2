#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "interfaces/launcher_files.h"
#include "platform/memory/code_pages.h"
#include "platform/memory/fault_plan.h"
#include "platform/memory/journal.h"

namespace tq {

// The launcher's own files in memory: settings files by path (letters in any
// case), and logs that collect what is appended to them.
class MemoryLauncherFiles final : public LauncherFiles {
 public:
  MemoryLauncherFiles(Journal& journal, FaultPlan& faults,
                      CodePage codePage = CodePage::kWindows1252)
      : recorder_{journal, faults}, codePage_(codePage) {}

  std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) override;
  std::wstring FromAnsi(const std::string& bytes) override;
  std::wstring TemporaryFolder() override;
  std::uint64_t OpenLog(const std::wstring& path) override;
  void AppendLog(const std::string& bytes) override;

  // Files to read, and files there that may not be read ("Permission denied").
  void AddFile(const std::wstring& path, std::string bytes);
  void DenyRead(const std::wstring& path);
  // Where logs can be opened: a log outside these folders cannot.
  std::set<std::wstring> writableFolders;
  std::wstring temporaryFolder = L"C:\\Users\\operator\\AppData\\Local\\Temp\\";

  // What each log holds, by its path as opened.
  std::map<std::wstring, std::string> logs;
  [[nodiscard]] const std::wstring& openLog() const noexcept { return openLog_; }

 private:
  CallRecorder recorder_;
  CodePage codePage_;
  std::map<std::wstring, std::string> files_;
  std::set<std::wstring> unreadable_;
  std::wstring openLog_;
};

}  // namespace tq
