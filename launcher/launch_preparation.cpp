#include "launcher/launch_preparation.h"

#include <new>
#include <optional>
#include <vector>

#include "common/decimal_text.h"
#include "common/error.h"
#include "common/paths.h"
#include "common/text.h"
#include "interfaces/exit_codes.h"
#include "interfaces/instance_guard.h"
#include "interfaces/launcher_files.h"
#include "interfaces/process_services.h"
#include "interfaces/system_information.h"
#include "interfaces/user_interface.h"
#include "launcher/launcher_arguments.h"
#include "launcher/runtime_settings.h"
#include "launcher/settings_text.h"
#include "runtime/decision_log.h"
#include "runtime/process_end.h"

namespace tq {
namespace {

// The message box for a settings file that cannot be used.
std::wstring SettingsProblemMessage(const std::wstring& settingsFile,
                                    const SettingsProblem& problem) {
  std::wstring what = problem.what;
  if (problem.line > 0) {
    what = L"Line " + DecimalText(problem.line) +
           (problem.setting.empty() ? L"" : L", " + problem.setting) + L": " + what;
  } else if (!what.empty()) {
    what[0] = AsciiUpper(what[0]);
  }
  return L"The settings file cannot be used:\r\n" + settingsFile + L"\r\n\r\n" + what +
         L".\r\n\r\nNothing was started.";
}

// The message box for a second start while the application runs.
std::wstring AlreadyRunningMessage(const std::wstring& launcherFolder) {
  return L"Tovane Quillon is already running: it was started from\r\n" + launcherFolder +
         L"\r\nand has not ended yet.\r\n\r\nNothing was started.";
}

// The settings file beside the launcher, read in its steps: its bytes, their
// text, its lines, their values made into choices; each step can end the
// reading with a problem. What was read goes to `told`, lines for a log that
// may open only once the settings are known.
SettingsResult<ResolvedSettings> ReadSettings(const Preparation& platform, const std::wstring& path,
                                              const std::wstring& launcherFolder,
                                              std::vector<std::wstring>& told) {
  std::optional<std::string> bytes;
  try {
    bytes = platform.files.ReadFile(path, kLargestSettingsFile);
  } catch (const Error& error) {
    return SettingsFailure(0, {}, L"the file cannot be read: " + error.description());
  }
  if (!bytes) {
    told.push_back(L"no settings file: " + path);
    return ResolvedSettings{};
  }
  if (bytes->size() > kLargestSettingsFile) {
    return SettingsFailure(
        0, {}, L"the file is larger than " + DecimalText(kLargestSettingsFile / 1024) + L" KB");
  }
  const SettingsResult<DecodedText> decoded =
      DecodeText(*bytes, [&](const std::string& ansi) { return platform.files.FromAnsi(ansi); });
  if (!decoded) {
    return ProblemOf(decoded);
  }
  told.push_back(L"settings file read (" + std::wstring(EncodingName(decoded->encoding)) + L"): " +
                 path);
  const SettingsResult<LaunchSettings> parsed = ParseSettings(decoded->text);
  if (!parsed) {
    return ProblemOf(parsed);
  }
  SettingsResult<ResolvedSettings> resolved =
      ResolveSettings(*parsed, launcherFolder, platform.process);
  for (std::wstring& line : SettingsLogLines(*parsed, resolved ? &*resolved : nullptr)) {
    told.push_back(std::move(line));
  }
  return resolved;
}

// The default log: in the user's temporary folder, named after the
// launcher. Nothing when that folder is unknown.
std::wstring DefaultLogFile(LauncherFiles& files, const std::wstring& program) {
  try {
    return PathFrom(files.TemporaryFolder(), ProgramBaseName(program) + L".log");
  } catch (const Error&) {
    return {};
  }
}

void OpenLog(const Preparation& platform, DecisionLog& log, const std::wstring& path,
             const std::wstring& program, const std::wstring& reason) {
  if (path.empty() || log.IsOn()) {
    return;
  }
  log.Open(path);
  SystemInformation& system = platform.system;
  log.Write(ProgramBaseName(program) + L" " + system.LauncherVersion() + L" started: " + program);
  log.Write(system.WindowsVersion());
  log.Write(L"command line: " + platform.process.CommandLine());
  log.Write(L"decision log: " + path + L" (" + reason + L")");
}

PreparedLaunch Prepare(const Preparation& platform, DecisionLog& log) {
  ProcessServices& process = platform.process;
  const LogSwitch logSwitch = FindLogSwitch(process.CommandLine());
  const std::wstring program = process.LauncherProgram();
  const std::wstring folder = FolderOfPath(program);
  const std::wstring settingsFile = SiblingFile(program, L".ini");

  if (logSwitch.given) {
    OpenLog(platform, log,
            logSwitch.path.empty() ? DefaultLogFile(platform.files, program)
                                   : PathFrom(folder, logSwitch.path),
            program, L"asked for by --log");
  }
  std::vector<std::wstring> told;
  SettingsResult<ResolvedSettings> resolved = ReadSettings(platform, settingsFile, folder, told);
  if (resolved) {
    OpenLog(platform, log, resolved->choices.logFile, program,
            L"asked for by " + KeyOf(&LaunchSettings::logFile).Name());
  }
  for (const std::wstring& line : told) {
    log.Write(line);
  }
  if (!resolved) {
    const std::wstring message = SettingsProblemMessage(settingsFile, resolved.error());
    log.Write(L"the settings file cannot be used: " + message);
    platform.ui.ShowMessage(message);
    EndProcessAndLogIt(platform.ui, log, kExitBadSettings);
  }

  PreparedLaunch prepared{resolved->choices, ConfiguredHomeOf(*resolved, settingsFile),
                          SearchOf(*resolved, settingsFile, process, platform.system)};
  if (prepared.choices.singleInstance) {
    if (!platform.guard.Claim(folder)) {
      log.Write(L"an application started from " + folder + L" still runs: nothing is started");
      platform.ui.ShowMessage(AlreadyRunningMessage(folder));
      EndProcessAndLogIt(platform.ui, log, kExitAlreadyRunning);
    }
    log.Write(L"single instance: this launcher holds the guard of " + folder);
  }
  return prepared;
}

}  // namespace

PreparedLaunch PrepareLaunch(const Preparation& platform, DecisionLog& log) {
  try {
    return Prepare(platform, log);
  } catch (const Error& error) {
    ReportUntrappedError(platform.ui, log, error);
  } catch (const std::bad_alloc&) {
    ReportUntrappedError(platform.ui, log, OutOfMemory());
  }
}

}  // namespace tq
