#include "platform/memory/memory_process_services.h"

#include <utility>

#include "common/error.h"

namespace tq {

MemoryProcessServices::MemoryProcessServices(Journal& journal, FaultPlan& faults,
                                             std::wstring launcherFolder,
                                             std::wstring workingDirectory)
    : folders{launcherFolder, workingDirectory},
      journal_(journal),
      faults_(faults),
      launcherFolder_(std::move(launcherFolder)),
      workingDirectory_(std::move(workingDirectory)) {}

void MemoryProcessServices::Enter(Operation operation, const std::wstring& argument) {
  journal_.Add(operation, argument);
  faults_.CountCallAndRaise(operation);
}

std::wstring MemoryProcessServices::LauncherFolder() {
  Enter(Operation::kLauncherFolder);
  return launcherFolder_;
}

std::wstring MemoryProcessServices::WorkingDirectory() {
  Enter(Operation::kWorkingDirectory);
  return workingDirectory_;
}

void MemoryProcessServices::ChangeWorkingDirectory(const std::wstring& folder) {
  Enter(Operation::kChangeWorkingDirectory, folder);
  if (!folders.contains(folder)) {
    throw PathNotFound();
  }
  workingDirectory_ = folder;
}

void MemoryProcessServices::StartHidden(const std::wstring& commandLine) {
  Enter(Operation::kStartHidden, commandLine);
  started.push_back({commandLine, workingDirectory_});
}

}  // namespace tq
