#pragma once

#include <memory>
#include <string>

#include "interfaces/file_system.h"
#include "runtime/decision_log.h"

namespace tq {

class NumberConversion;
class RegistryProvider;
class UserInterface;

// A Java runtime folder that the settings file names, in place of the
// registry's choice.
struct ConfiguredJavaHome {
  // The full path of the folder, with environment references expanded.
  std::wstring folder;
  // Where it was asked for, for the message when it holds no java.exe:
  // the settings file, its line, and the value as written.
  std::wstring settingsFile;
  int line = 0;
  std::wstring asWritten;
};

// Java runtime preparation: choosing the runtime and installing the serial
// communication support files into it. One object lives for the whole
// process; its members are the module's state.
class ModMain {
 public:
  ModMain(RegistryProvider& registry, FileSystemFactory createFileSystem, NumberConversion& numbers,
          UserInterface& ui)
      : registry_(registry),
        createFileSystem_(std::move(createFileSystem)),
        numbers_(numbers),
        ui_(ui) {}

  // Installation folder of the chosen Java runtime as the registry stores
  // it (or as the settings file names it), or empty when none was chosen.
  // Written only by FindJavaHome.
  std::wstring JavaHomePath;

  void FindJavaHome();
  void InstallCommSupport(std::wstring runtimeDirectory);

  // Where the steps are told; without it, nowhere.
  void UseLog(DecisionLog& log) { log_ = &log; }
  // The runtime FindJavaHome takes instead of searching the registry.
  void UseConfiguredHome(ConfiguredJavaHome home) { configuredHome_ = std::move(home); }

 private:
  FileSystem& TheFileSystem();
  // The runtime of the settings file: its java.exe must be there.
  void TakeConfiguredHome();
  void Log(std::wstring_view text);
  // Ends the process, after saying so in the log.
  [[noreturn]] void End(unsigned exitCode);

  RegistryProvider& registry_;
  FileSystemFactory createFileSystem_;
  NumberConversion& numbers_;
  UserInterface& ui_;
  std::unique_ptr<FileSystem> fileSystem_;
  // The log steps are told to; until UseLog, one that writes nothing.
  DecisionLog noLog_;
  DecisionLog* log_ = &noLog_;
  ConfiguredJavaHome configuredHome_;
};

}  // namespace tq
