#pragma once

#include <optional>
#include <string>
#include <vector>

#include "launcher/launch_settings.h"

namespace tq {

class ProcessServices;

// What a run does beyond what the launcher always did, worked out from the
// settings file: full paths, environment references expanded. Empty
// members change nothing.
struct LaunchChoices {
  // The Java runtime folder to take instead of the registry's.
  std::wstring javaHome;
  std::wstring javaOptions;
  bool singleInstance = false;
  std::wstring logFile;
  std::wstring javaOutput;
};

struct ResolvedSettings {
  LaunchChoices choices;
  // What each value became, by the index of its key in SettingKeys(), for
  // the log; empty where that is the value as written.
  std::vector<std::wstring> became;
};

// The settings made into choices for the launcher in launcherFolder:
// %NAME% references expanded, a relative path taken from the launcher's
// folder. A path too long for Windows, or options that would make the Java
// command line too long, is a problem of the setting; the first one is
// given.
SettingsResult<ResolvedSettings> ResolveSettings(const LaunchSettings& settings,
                                                 const std::wstring& launcherFolder,
                                                 ProcessServices& process);

// The lines of the decision log that tell the settings: each value as
// written, and what it became once the settings are resolved.
std::vector<std::wstring> SettingsLogLines(const LaunchSettings& settings,
                                           const ResolvedSettings* resolved);

// How the values of one settings file are made into choices: what each
// key's resolve function of SettingKeys() works with.
class Resolution {
 public:
  Resolution(const std::wstring& launcherFolder, ProcessServices& process)
      : folder_(launcherFolder), process_(process) {}

  LaunchChoices choices;

  // A folder or file taken from the launcher's folder, within what Windows
  // takes.
  std::wstring Path(const SettingValue& value);
  // A Java runtime's folder, with room below it for the support files.
  std::wstring RuntimeFolder(const SettingValue& value);
  // Options for Java that leave the command line short enough to start.
  std::wstring JavaOptions(const SettingValue& value);

  // Only the first problem counts.
  void Fail(const SettingValue& value, std::wstring what);
  [[nodiscard]] std::optional<SettingsProblem>& problem() { return problem_; }

  // The key being resolved, for the problems it has.
  const SettingKey* key = nullptr;

 private:
  std::wstring FullPath(const SettingValue& value);

  const std::wstring& folder_;
  ProcessServices& process_;
  std::optional<SettingsProblem> problem_;
};

// The longest command line Windows starts (32,768 characters less the NUL).
inline constexpr std::size_t kLongestCommandLine = 32767;

}  // namespace tq
