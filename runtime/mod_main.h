#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "interfaces/file_system.h"
#include "runtime/decision_log.h"
#include "runtime/runtime_search.h"

namespace tq {

class NumberConversion;
class RegistryProvider;
class UserInterface;

// A Java runtime folder that the settings file names, in place of the
// registry's choice.
struct ConfiguredJavaHome {
  // The full path of the folder, with environment references expanded;
  // empty when the settings name none.
  std::wstring folder;
  // The message box for a folder without bin\java.exe, given the path looked
  // for and, when it could not be looked for, why. The launcher words it,
  // since it knows where the folder was asked for.
  std::function<std::wstring(const std::wstring& javaLookedFor, const std::wstring& reason)>
      noJavaMessage;
  // The bitness the settings ask of it, if any, and the message box for a
  // java.exe that does not have it, given java.exe's path and why.
  std::optional<RuntimeBits> bits;
  std::function<std::wstring(const std::wstring& java, const std::wstring& why)> wrongBitsMessage;
};

// Java runtime preparation: choosing the runtime and installing the serial
// communication support files into it. One object lives for the whole
// process; its members are the module's state.
class ModMain {
 public:
  // The steps are told to the log; a configured home, or else a search of
  // the settings file, is taken instead of the registry's runtime.
  ModMain(RegistryProvider& registry, FileSystemFactory createFileSystem, NumberConversion& numbers,
          UserInterface& ui, DecisionLog& log, ConfiguredJavaHome configuredHome = {},
          std::optional<RuntimeSearch> search = {})
      : registry_(registry),
        createFileSystem_(std::move(createFileSystem)),
        numbers_(numbers),
        ui_(ui),
        log_(log),
        configuredHome_(std::move(configuredHome)),
        search_(std::move(search)) {}

  // Installation folder of the chosen Java runtime as the registry stores
  // it (or as the settings file names it), or empty when none was chosen.
  // Written only by FindJavaHome.
  std::wstring JavaHomePath;

  void FindJavaHome();
  void InstallCommSupport(std::wstring runtimeDirectory);

 private:
  FileSystem& TheFileSystem();
  // The runtime of the settings file: its java.exe must be there.
  void TakeConfiguredHome();
  // Its bitness, when the settings ask for one or the log is on.
  void CheckBitsOfConfiguredHome(const std::wstring& java);
  // The runtime of the settings file's search: the chosen one, or the end
  // of the process after a message box when none can be taken.
  void TakeSearchedRuntime();
  void Log(std::wstring_view text);
  // Ends the process, after saying so in the log.
  [[noreturn]] void End(unsigned exitCode);

  RegistryProvider& registry_;
  FileSystemFactory createFileSystem_;
  NumberConversion& numbers_;
  UserInterface& ui_;
  DecisionLog& log_;
  ConfiguredJavaHome configuredHome_;
  std::optional<RuntimeSearch> search_;
  std::unique_ptr<FileSystem> fileSystem_;
};

}  // namespace tq
