#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "launcher/process_services.h"
#include "platform/memory/journal.h"

namespace tq {

// Process services without a process: folders are names in a set, started
// programs are records.
class MemoryProcessServices final : public ProcessServices {
 public:
  struct Started {
    std::wstring commandLine;
    std::wstring workingDirectory;
  };

  MemoryProcessServices(Journal& journal, std::wstring launcherFolder,
                        std::wstring workingDirectory);

  std::wstring LauncherFolder() override;
  std::wstring WorkingDirectory() override;
  void ChangeWorkingDirectory(const std::wstring& folder) override;
  void StartHidden(const std::wstring& commandLine) override;

  // Folders that ChangeWorkingDirectory accepts; the two given to the
  // constructor are in it.
  std::set<std::wstring> folders;
  // Makes the named operation ("LauncherFolder", "WorkingDirectory",
  // "ChangeWorkingDirectory", "StartHidden") raise the error.
  std::map<std::wstring, Error> failures;
  std::vector<Started> started;

 private:
  void FailIfAsked(const std::wstring& operation);

  Journal& journal_;
  std::wstring launcherFolder_;
  std::wstring workingDirectory_;
};

}  // namespace tq
