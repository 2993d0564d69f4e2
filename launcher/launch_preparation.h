#pragma once

#include <cstddef>
#include <string>

namespace tq {

class DecisionLog;
class InstanceGuard;
class LauncherFiles;
class ModMain;
class ProcessServices;
class SystemInformation;
class UserInterface;
struct LaunchChoices;
struct SettingsProblem;

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

// Before the splash: the --log switch, the settings file beside the
// launcher, the decision log, the single-instance guard. With no settings
// file and no switch it changes nothing. Gives what the settings chose, and
// hands ModMain the runtime they name. Ends the process after one message
// box when the settings cannot be used or the application runs already, and
// after the top-level report when an error nothing handles arises.
LaunchChoices PrepareLaunch(const Preparation& platform, ModMain& modMain, DecisionLog& log);

// The message box for a settings file that cannot be used.
std::wstring SettingsProblemMessage(const std::wstring& settingsFile,
                                    const SettingsProblem& problem);

// The message box for a second start while the application runs.
std::wstring AlreadyRunningMessage(const std::wstring& launcherFolder);

}  // namespace tq
