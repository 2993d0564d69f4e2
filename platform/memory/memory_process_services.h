#pragma once

#include <map>
#include <optional>
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
    StartOptions options;
  };

  // The launcher is TovaneQuillon.exe in launcherFolder, started with no
  // arguments.
  MemoryProcessServices(Journal& journal, FaultPlan& faults, std::wstring launcherFolder,
                        std::wstring workingDirectory);

  std::wstring LauncherFolder() override;
  std::wstring LauncherProgram() override;
  std::wstring CommandLine() override;
  std::wstring ExpandEnvironment(const std::wstring& text) override;
  std::wstring WorkingDirectory() override;
  void ChangeWorkingDirectory(const std::wstring& folder) override;
  unsigned long StartHidden(const std::wstring& commandLine, const StartOptions& options) override;
  std::optional<ProgramEnd> WaitForStartedProgram(unsigned timeoutMilliseconds) override;

  // Folders that ChangeWorkingDirectory accepts; the two given to the
  // constructor are in it.
  std::set<std::wstring> folders;
  // The programs StartHidden started, in order; the first gets id 4000.
  std::vector<Started> started;
  // The launcher's own path and command line.
  std::wstring program;
  std::wstring commandLine;
  // Environment variables, by name in capitals (Windows ignores case).
  std::map<std::wstring, std::wstring> environment;
  // How the started program ends within a wait, or nothing: it outlives it.
  std::optional<ProgramEnd> programEnd;

  // The working directory as it stands, read without counting as a call.
  [[nodiscard]] const std::wstring& CurrentDirectory() const noexcept { return workingDirectory_; }

 private:
  CallRecorder recorder_;
  std::wstring launcherFolder_;
  std::wstring workingDirectory_;
};

}  // namespace tq
