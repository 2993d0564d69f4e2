#pragma once

#include <string>

namespace tq {

// What the launch needs from the operating system's process services.
// Every operation raises tq::Error when it fails.
class ProcessServices {
 public:
  virtual ~ProcessServices() = default;

  // Absolute path of the folder holding the launcher's executable, without a
  // trailing backslash, except at the root of a drive ("C:\").
  virtual std::wstring LauncherFolder() = 0;

  virtual std::wstring WorkingDirectory() = 0;
  virtual void ChangeWorkingDirectory(const std::wstring& folder) = 0;

  // Starts the command line, whole, with its window hidden; returns as soon
  // as the program is started, without waiting for it.
  virtual void StartHidden(const std::wstring& commandLine) = 0;
};

}  // namespace tq
