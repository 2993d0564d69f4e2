#pragma once

#include "interfaces/process_services.h"

namespace tq {

class Win32ProcessServices final : public ProcessServices {
 public:
  std::wstring LauncherFolder() override;
  std::wstring WorkingDirectory() override;
  void ChangeWorkingDirectory(const std::wstring& folder) override;
  void StartHidden(const std::wstring& commandLine) override;
};

// The folder part of an executable's full path: everything before its last
// backslash, keeping the backslash of a drive root ("C:\").
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace tq
