#include "platform/memory/memory_process_services.h"

#include <utility>

namespace tq {

MemoryProcessServices::MemoryProcessServices(Journal& journal, std::wstring launcherFolder,
                                             std::wstring workingDirectory)
    : folders{launcherFolder, workingDirectory},
      journal_(journal),
      launcherFolder_(std::move(launcherFolder)),
      workingDirectory_(std::move(workingDirectory)) {}

void MemoryProcessServices::FailCall(const std::wstring& operation, int callNumber, Error error) {
  faults_.push_back({operation, callNumber, std::move(error)});
}

void MemoryProcessServices::FailIfAsked(const std::wstring& operation) {
  const int call = ++calls_[operation];
  for (const Fault& fault : faults_) {
    if (fault.operation == operation && fault.callNumber == call) {
      throw fault.error;
    }
  }
  if (const auto failure = failures.find(operation); failure != failures.end()) {
    throw failure->second;
  }
}

std::wstring MemoryProcessServices::LauncherFolder() {
  journal_.Add(L"LauncherFolder");
  FailIfAsked(L"LauncherFolder");
  return launcherFolder_;
}

std::wstring MemoryProcessServices::WorkingDirectory() {
  journal_.Add(L"WorkingDirectory");
  FailIfAsked(L"WorkingDirectory");
  return workingDirectory_;
}

void MemoryProcessServices::ChangeWorkingDirectory(const std::wstring& folder) {
  journal_.Add(L"ChangeWorkingDirectory", folder);
  FailIfAsked(L"ChangeWorkingDirectory");
  if (!folders.contains(folder)) {
    throw PathNotFound();
  }
  workingDirectory_ = folder;
}

void MemoryProcessServices::StartHidden(const std::wstring& commandLine) {
  journal_.Add(L"StartHidden", commandLine);
  FailIfAsked(L"StartHidden");
  started.push_back({commandLine, workingDirectory_});
}

}  // namespace tq
