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
#include "launcher/launch_choices.h"
#include "launcher/launch_settings.h"
#include "launcher/launcher_arguments.h"
#include "launcher/launcher_paths.h"
#include "launcher/settings_text.h"
#include "launcher/startup_sequence.h"
#include "runtime/decision_log.h"
#include "runtime/mod_main.h"

namespace tq {
namespace {

// What the settings file gave, or why it cannot be used, with the lines
// that say so in the log.
struct SettingsReading {
  LaunchSettings settings;
  LaunchChoices choices;
  std::optional<SettingsProblem> problem;
  std::vector<std::wstring> logLines;
};

void NoteValue(SettingsReading& reading, const wchar_t* setting,
               const std::optional<SettingValue>& value, const std::wstring& used) {
  if (value) {
    reading.logLines.push_back(L"setting on line " + DecimalText(value->line) + L": " + setting +
                               L"=" + value->text + (used.empty() ? L"" : L"  ->  " + used));
  }
}

SettingsReading ReadSettings(const Preparation& platform, const std::wstring& path,
                             const std::wstring& launcherFolder) {
  SettingsReading reading;
  std::optional<std::string> bytes;
  try {
    bytes = platform.files.ReadFile(path, kLargestSettingsFile);
  } catch (const Error& error) {
    reading.problem = SettingsProblem{0, {}, L"the file cannot be read: " + error.description()};
    return reading;
  }
  if (!bytes) {
    reading.logLines.push_back(L"no settings file: " + path);
    return reading;
  }
  if (bytes->size() > kLargestSettingsFile) {
    reading.problem = SettingsProblem{
        0, {}, L"the file is larger than " + DecimalText(kLargestSettingsFile / 1024) + L" KB"};
    return reading;
  }
  const DecodingResult decoded =
      DecodeText(*bytes, [&](const std::string& ansi) { return platform.files.FromAnsi(ansi); });
  if (decoded.problem) {
    reading.problem = SettingsProblem{decoded.problem->line, {}, decoded.problem->what};
    return reading;
  }
  reading.logLines.push_back(L"settings file read (" +
                             std::wstring(EncodingName(decoded.decoded->encoding)) + L"): " + path);
  ParsedSettings parsed = ParseSettings(decoded.decoded->text);
  if (parsed.problem) {
    reading.problem = std::move(parsed.problem);
    return reading;
  }
  reading.settings = std::move(parsed.settings);
  ResolvedSettings resolved = ResolveSettings(reading.settings, launcherFolder, platform.process);
  reading.problem = std::move(resolved.problem);
  reading.choices = std::move(resolved.choices);
  const LaunchSettings& settings = reading.settings;
  const LaunchChoices& choices = reading.choices;
  NoteValue(reading, L"[Java] Home", settings.javaHome, choices.javaHome);
  NoteValue(reading, L"[Java] Options", settings.javaOptions, choices.javaOptions);
  NoteValue(reading, L"[Launcher] SingleInstance", settings.singleInstance, {});
  NoteValue(reading, L"[Log] File", settings.logFile, choices.logFile);
  NoteValue(reading, L"[Log] JavaOutput", settings.javaOutput, choices.javaOutput);
  return reading;
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

LaunchChoices Prepare(const Preparation& platform, ModMain& modMain, DecisionLog& log) {
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
  SettingsReading reading = ReadSettings(platform, settingsFile, folder);
  if (!reading.problem) {
    OpenLog(platform, log, reading.choices.logFile, program, L"asked for by [Log] File");
  }
  for (const std::wstring& line : reading.logLines) {
    log.Write(line);
  }
  if (reading.problem) {
    const std::wstring message = SettingsProblemMessage(settingsFile, *reading.problem);
    log.Write(L"the settings file cannot be used: " + message);
    platform.ui.ShowMessage(message);
    EndProcessAndLogIt(platform.ui, log, kExitBadSettings);
  }

  const LaunchChoices& choices = reading.choices;
  if (!choices.javaHome.empty()) {
    modMain.UseConfiguredHome(ConfiguredJavaHome{choices.javaHome, settingsFile,
                                                 reading.settings.javaHome->line,
                                                 reading.settings.javaHome->text});
  }
  if (choices.singleInstance) {
    if (!platform.guard.Claim(folder)) {
      log.Write(L"an application started from " + folder + L" still runs: nothing is started");
      platform.ui.ShowMessage(AlreadyRunningMessage(folder));
      EndProcessAndLogIt(platform.ui, log, kExitAlreadyRunning);
    }
    log.Write(L"single instance: this launcher holds the guard of " + folder);
  }
  return choices;
}

}  // namespace

LaunchChoices PrepareLaunch(const Preparation& platform, ModMain& modMain, DecisionLog& log) {
  try {
    return Prepare(platform, modMain, log);
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

}  // namespace tq
