#pragma once

#include <optional>
#include <string>
#include <vector>

#include "launcher/launch_settings.h"
#include "runtime/java_version.h"
#include "runtime/runtime_search.h"

namespace tq {

class ProcessServices;

// What a run does beyond what the launcher always did, worked out from the
// settings file: full paths, environment references expanded. Empty
// members change nothing.
struct LaunchChoices {
  // The Java runtime folder to take instead of the registry's.
  std::wstring javaHome;
  // Or the sources to search for one, and the runtimes that may be taken.
  std::vector<RuntimeSource> javaSearch;
  std::optional<JavaVersion> minVersion;
  std::optional<JavaVersion> maxVersion;
  std::optional<RuntimeBits> javaBits;
  std::wstring javaOptions;
  bool singleInstance = false;
  std::wstring logFile;
  std::wstring javaOutput;
};

struct ResolvedSettings {
  LaunchSettings written;
  LaunchChoices choices;
  // What each value became, by its key's place in SettingKeys(), for the
  // log; empty where that is the value as written.
  std::vector<std::wstring> became;
};

// The settings made into choices for the launcher in launcherFolder:
// %NAME% references expanded, a relative path taken from the launcher's
// folder. A path too long for Windows, or options that would make the Java
// command line too long, is a problem of the setting; the first is given.
SettingsResult<ResolvedSettings> ResolveSettings(const LaunchSettings& settings,
                                                 const std::wstring& launcherFolder,
                                                 ProcessServices& process);

// The decision log's lines of the settings: each value as written, and what
// it became once the settings are resolved.
std::vector<std::wstring> SettingsLogLines(const LaunchSettings& settings,
                                           const ResolvedSettings* resolved);

// The longest command line Windows starts (32,768 characters less the NUL).
inline constexpr std::size_t kLongestCommandLine = 32767;

}  // namespace tq
