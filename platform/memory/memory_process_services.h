#pragma once

#include <set>
#include <string>
#include <vector>

#include "interfaces/process_services.h"
#include "platform/memory/fault_plan.h"
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

  MemoryProcessServices(Journal& journal, FaultPlan& faults, std::wstring launcherFolder,
                        std::wstring workingDirectory);

  std::wstring LauncherFolder() override;
  std::wstring WorkingDirectory() override;
  void ChangeWorkingDirectory(const std::wstring& folder) override;
  void StartHidden(const std::wstring& commandLine) override;

  // Folders that ChangeWorkingDirectory accepts; the two given to the
  // constructor are in it.
  std::set<std::wstring> folders;
  // The programs StartHidden started, in order.
  std::vector<Started> started;

  // The working directory as it stands, read without counting as a call.
  [[nodiscard]] const std::wstring& CurrentDirectory() const noexcept { return workingDirectory_; }

 private:
  // Journals the call, then raises the fault planned for it, if any.
  void Enter(Operation operation, const std::wstring& argument = {});

  Journal& journal_;
  FaultPlan& faults_;
  std::wstring launcherFolder_;
  std::wstring workingDirectory_;
};

}  // namespace tq
