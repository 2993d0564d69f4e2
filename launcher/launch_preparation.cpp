#include "launcher/launch_preparation.h"

#include <new>
#include <optional>
#include <vector>

#include "common/decimal_text.h"
#include "common/error.h"
#include "common/text.h"
#include "interfaces/exit_codes.h"
#include "interfaces/instance_guard.h"
#include "interfaces/launcher_files.h"
#include "interfaces/process_services.h"
#include "interfaces/system_information.h"
#include "interfaces/user_interface.h"
#include "launcher/launcher_arguments.h"
#include "launcher/launcher_paths.h"
#include "launcher/settings_text.h"
#include "runtime/decision_log.h"
#include "runtime/process_end.h"

namespace tq {
namespace {

// The settings file beside the launcher, read in its steps: its bytes, their
// text, its lines, their values made into choices. Each step can end the
// reading with a problem. What was read is told in lines for the log, which
// may open only once the settings are known.
class SettingsReader {
 public:
  SettingsReader(const Preparation& platform, std::wstring path, std::wstring launcherFolder)
      : platform_(platform), path_(std::move(path)), folder_(std::move(launcherFolder)) {}

  SettingsResult<ResolvedSettings> Read() {
    SettingsResult<std::optional<std::string>> bytes = Bytes();
    if (!bytes) {
      return ProblemOf(std::move(bytes));
    }
    if (!*bytes) {
      logLines.push_back(L"no settings file: " + path_);
      return ResolvedSettings{};
    }
    SettingsResult<DecodedText> decoded = DecodeText(
        **bytes, [&](const std::string& ansi) { return platform_.files.FromAnsi(ansi); });
    if (!decoded) {
      return ProblemOf(std::move(decoded));
    }
    logLines.push_back(L"settings file read (" + std::wstring(EncodingName(decoded->encoding)) +
                       L"): " + path_);
    SettingsResult<LaunchSettings> parsed = ParseSettings(decoded->text);
    if (!parsed) {
      return ProblemOf(std::move(parsed));
    }
    settings = std::move(*parsed);
    SettingsResult<ResolvedSettings> resolved =
        ResolveSettings(settings, folder_, platform_.process);
    for (std::wstring& line : SettingsLogLines(settings, resolved ? &*resolved : nullptr)) {
      logLines.push_back(std::move(line));
    }
    return resolved;
  }

  // The values as written, once the lines are read.
  LaunchSettings settings;
  std::vector<std::wstring> logLines;

 private:
  // Nothing when there is no file.
  SettingsResult<std::optional<std::string>> Bytes() {
    std::optional<std::string> bytes;
    try {
      bytes = platform_.files.ReadFile(path_, kLargestSettingsFile);
    } catch (const Error& error) {
      return SettingsFailure(0, {}, L"the file cannot be read: " + error.description());
    }
    if (bytes && bytes->size() > kLargestSettingsFile) {
      return SettingsFailure(
          0, {}, L"the file is larger than " + DecimalText(kLargestSettingsFile / 1024) + L" KB");
    }
    return bytes;
  }

  const Preparation& platform_;
  std::wstring path_;
  std::wstring folder_;
};

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
  SettingsReader reader(platform, settingsFile, folder);
  SettingsResult<ResolvedSettings> resolved = reader.Read();
  if (resolved) {
    OpenLog(platform, log, resolved->choices.logFile, program, L"asked for by [Log] File");
  }
  for (const std::wstring& line : reader.logLines) {
    log.Write(line);
  }
  if (!resolved) {
    const std::wstring message = SettingsProblemMessage(settingsFile, resolved.error());
    log.Write(L"the settings file cannot be used: " + message);
    platform.ui.ShowMessage(message);
    EndProcessAndLogIt(platform.ui, log, kExitBadSettings);
  }

  PreparedLaunch prepared{std::move(resolved->choices), {}};
  if (!prepared.choices.javaHome.empty()) {
    const SettingValue home = *reader.settings.javaHome;
    prepared.javaHome = {
        prepared.choices.javaHome,
        [settingsFile, home](const std::wstring& java, const std::wstring& reason) {
          return NoJavaInConfiguredHomeMessage(settingsFile, home, java, reason);
        }};
  }
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

std::wstring AlreadyRunningMessage(const std::wstring& launcherFolder) {
  return L"Tovane Quillon is already running: it was started from\r\n" + launcherFolder +
         L"\r\nand has not ended yet.\r\n\r\nNothing was started.";
}

std::wstring NoJavaInConfiguredHomeMessage(const std::wstring& settingsFile,
                                           const SettingValue& home,
                                           const std::wstring& javaLookedFor,
                                           const std::wstring& reason) {
  return L"The Java runtime that the settings file names has no java.exe.\r\nSettings file: " +
         settingsFile + L"\r\nLine " + DecimalText(home.line) + L": " +
         KeyOf(&LaunchSettings::javaHome).Name() + L"=" + home.text + L"\r\nLooked for: " +
         javaLookedFor + (reason.empty() ? L"" : L"\r\nIt could not be looked for: " + reason) +
         L"\r\n\r\nNothing was started.";
}

}  // namespace tq
