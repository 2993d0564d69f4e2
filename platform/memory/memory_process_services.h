#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "interfaces/process_services.h"
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

  // Makes only the callNumber-th call (counted from 1) of the operation raise
  // the error.
  void FailCall(const std::wstring& operation, int callNumber, Error error);

  // The working directory as it stands, read without counting as a call.
  [[nodiscard]] const std::wstring& CurrentDirectory() const noexcept { return workingDirectory_; }

 private:
  struct Fault {
    std::wstring operation;
    int callNumber;
    Error error;
  };

  void FailIfAsked(const std::wstring& operation);

  Journal& journal_;
  std::wstring launcherFolder_;
  std::wstring workingDirectory_;
  std::vector<Fault> faults_;
  std::map<std::wstring, int> calls_;
};

}  // namespace tq
