#pragma once

#include "common/paths.h"
#include "interfaces/process_services.h"
#include "platform/win32/unique_any.h"

namespace tq {

class Win32ProcessServices final : public ProcessServices {
 public:
  std::wstring LauncherFolder() override;
  std::wstring LauncherProgram() override;
  std::wstring CommandLine() override;
  std::wstring ExpandEnvironment(const std::wstring& text) override;
  std::wstring WorkingDirectory() override;
  void ChangeWorkingDirectory(const std::wstring& folder) override;
  unsigned long StartHidden(const std::wstring& commandLine, const StartOptions& options) override;
  std::optional<ProgramEnd> WaitForStartedProgram(unsigned timeoutMilliseconds) override;

 private:
  // The program started last, kept to be watched; never ended by us.
  UniqueHandle started_;
};

}  // namespace tq
