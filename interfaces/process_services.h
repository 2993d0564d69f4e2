#pragma once

#include <optional>
#include <string>

namespace tq {

// How the Java application is started, beyond its command line.
struct StartOptions {
  // Where its standard output and error are appended, or empty for its
  // (hidden) console.
  std::wstring outputFile;
  // Whether it inherits the launcher's inheritable handles: the single
  // instance guard lives on in it that way.
  bool inheritHandles = false;
};

// How a started program ended.
struct ProgramEnd {
  unsigned long exitCode = 0;
  // How long the wait for its end took.
  unsigned waitedMilliseconds = 0;
};

// What the launch needs from the operating system's process services.
// Every operation raises tq::Error when it fails.
class ProcessServices {
 public:
  virtual ~ProcessServices() = default;

  // Absolute path of the folder holding the launcher's executable, without a
  // trailing backslash, except at the root of a drive ("C:\").
  virtual std::wstring LauncherFolder() = 0;

  // Absolute path of the launcher's executable itself.
  virtual std::wstring LauncherProgram() = 0;

  // The launcher's command line, whole, as it was started. Cannot fail.
  virtual std::wstring CommandLine() = 0;

  // The text with every %NAME% of a defined environment variable replaced
  // by its value; references to undefined ones stay as they are.
  virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;

  virtual std::wstring WorkingDirectory() = 0;
  virtual void ChangeWorkingDirectory(const std::wstring& folder) = 0;

  // Starts the command line, whole, with its window hidden; returns the new
  // process's id as soon as the program is started, without waiting for it.
  virtual unsigned long StartHidden(const std::wstring& commandLine,
                                    const StartOptions& options) = 0;

  // Waits at most the time for the program StartHidden started last to end;
  // nothing when it still runs.
  virtual std::optional<ProgramEnd> WaitForStartedProgram(unsigned timeoutMilliseconds) = 0;
};

}  // namespace tq
