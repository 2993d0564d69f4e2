#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "launcher/launch_choices.h"
#include "runtime/mod_main.h"

namespace tq {

class DecisionLog;
class InstanceGuard;
class LauncherFiles;
class ProcessServices;
class SystemInformation;
class UserInterface;

// The largest settings file the launcher reads: one holds a few lines.
inline constexpr std::size_t kLargestSettingsFile = std::size_t{64} * 1024;

// The platform services the launcher uses before its splash shows.
struct Preparation {
  UserInterface& ui;
  ProcessServices& process;
  LauncherFiles& files;
  SystemInformation& system;
  InstanceGuard& guard;
};

// What the settings decided, for the rest of the run.
struct PreparedLaunch {
  LaunchChoices choices;
  // The runtime the settings name, or the search they ask for, for ModMain.
  ConfiguredJavaHome javaHome;
  std::optional<RuntimeSearch> search;
};

// Before the splash: the --log switch, the settings file beside the
// launcher, the decision log, the single-instance guard. With no settings
// file and no switch it changes nothing. Ends the process after one message
// box when the settings cannot be used or the application runs already, and
// after the top-level report when an error nothing handles arises.
PreparedLaunch PrepareLaunch(const Preparation& platform, DecisionLog& log);

}  // namespace tq
