#include "tests/host/whole_run.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <new>
#include <utility>

#include "common/error.h"
#include "launcher/launch_choices.h"
#include "launcher/launch_preparation.h"
#include "launcher/startup_sequence.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_instance_guard.h"
#include "platform/memory/memory_launcher_files.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/memory/memory_process_services.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_system_information.h"
#include "platform/memory/memory_user_interface.h"
#include "runtime/decision_log.h"
#include "runtime/logged_registry.h"
#include "runtime/mod_main.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::whole_run {
namespace {

constexpr std::wstring_view kBaseKey = expected::kJavaRuntimeKey;
constexpr std::wstring_view kReportOpening = text::kReportOpening;
constexpr std::wstring_view kNotInstalled = text::kNotInstalled;
constexpr std::wstring_view kNotAvailable = text::kNotAvailable;

bool StartsWith(std::wstring_view text, std::wstring_view opening) {
  return text.substr(0, opening.size()) == opening;
}

// The journal's operation word: what a line holds before its first blank.
std::wstring_view OperationOf(const std::wstring& line) {
  const std::wstring_view view(line);
  return view.substr(0, view.find(L' '));
}

// The doubles of one run, wired as win_main wires the real ones, sharing one
// fault plan.
struct World {
  explicit World(const Machine& machine)
      : process(journal, faults, machine.launcherFolder, machine.workingDirectory),
        registry(faults, machine.codePage),
        launcherFiles(journal, faults, machine.codePage) {}

  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process;
  MemoryUserInterface ui{journal};
  MemoryRegistry registry;
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryNumberConversion numbers{faults};
  MemoryLauncherFiles launcherFiles;
  MemorySystemInformation system;
  MemoryInstanceGuard guard{journal, faults};
  DecisionLog log{launcherFiles, system};
  LoggedRegistry loggedRegistry{registry, log};
};

// The steps before the splash and what they may call.
bool BeforeTheSplash(std::wstring_view operation) {
  return operation == L"LauncherProgram" || operation == L"ExpandEnvironment" ||
         operation == L"ReadFile" || operation == L"TemporaryFolder" || operation == L"OpenLog" ||
         operation == L"AppendLog" || operation == L"ClaimGuard" || operation == L"ShowMessage" ||
         operation == L"EndProcess";
}

void Build(World& world, const Machine& machine) {
  MemoryRegistry& registry = world.registry;
  if (machine.hasBaseKey) {
    registry.CreateKey(kHkeyLocalMachine, kBaseKey);
    for (const RuntimeEntry& runtime : machine.runtimes) {
      const std::wstring key = std::wstring(kBaseKey) + L"\\" + runtime.name;
      registry.CreateKey(kHkeyLocalMachine, key);
      if (runtime.javaHome) {
        registry.SetValue(kHkeyLocalMachine, key, L"JavaHome", runtime.javaHome->type,
                          runtime.javaHome->data);
      }
      if (runtime.unreadable) {
        registry.DenyRead(kHkeyLocalMachine, key);
      }
    }
    if (machine.baseKeyUnreadable) {
      registry.DenyRead(kHkeyLocalMachine, kBaseKey);
    }
  }
  for (const std::wstring& folder : machine.folders) {
    world.files.AddFolder(folder);
  }
  for (const std::wstring& file : machine.files) {
    world.files.AddFile(file, "present");
  }
  for (const std::wstring& file : machine.readOnlyFiles) {
    world.files.AddFile(file, "read-only", true);
  }
  const std::wstring settingsFile = machine.launcherFolder +
                                    (machine.launcherFolder.ends_with(L'\\') ? L"" : L"\\") +
                                    L"TovaneQuillon.ini";
  if (machine.settings) {
    world.launcherFiles.AddFile(settingsFile, machine.settings->bytes);
    if (machine.settings->unreadable) {
      world.launcherFiles.DenyRead(settingsFile);
    }
  }
  world.launcherFiles.temporaryFolder = kTemporaryFolder;
  world.launcherFiles.writableFolders = {
      std::wstring(kTemporaryFolder).substr(0, std::wstring_view(kTemporaryFolder).size() - 1),
      machine.launcherFolder};
  if (!machine.arguments.empty()) {
    world.process.commandLine += L" " + machine.arguments;
  }
  world.process.environment = machine.environment;
  world.process.programEnd = machine.javaEnds;
  if (machine.applicationRuns) {
    world.guard.HoldFor(machine.launcherFolder);
  }
}

// The rules every run keeps, whatever failed in it. The log's own writes
// are left out of the journal they read: they change nothing of the run.
void CheckEveryRunRules(const World& world, const Machine& machine,
                        const std::optional<Fault>& fault, Observation& seen) {
  const auto broken = [&](std::string rule) { seen.brokenRules.push_back(std::move(rule)); };
  std::vector<std::wstring> lines;
  std::copy_if(world.journal.lines.begin(), world.journal.lines.end(), std::back_inserter(lines),
               [](const std::wstring& line) { return OperationOf(line) != L"AppendLog"; });
  const Outcome& outcome = seen.outcome;

  const auto closed = std::find(lines.begin(), lines.end(), L"CloseSplash");
  if (!std::all_of(lines.begin(), closed,
                   [](const std::wstring& line) { return BeforeTheSplash(OperationOf(line)); })) {
    broken("before the splash closes only the switches, the settings, the log and the guard");
  }
  const auto ends = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
    return OperationOf(line) == L"EndProcess";
  });
  if (ends != 1 || OperationOf(lines.back()) != L"EndProcess") {
    broken("the process ends exactly once, and nothing runs after");
  }
  const auto sleeps = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
    return OperationOf(line) == L"Sleep";
  });
  // Ten seconds after the start: one sleep, or a watch of Java and then a
  // sleep of what is left when Java ended within it.
  bool waited = lines.size() >= 2 && lines[lines.size() - 2] == L"Sleep 10000";
  const auto watch = std::find(lines.begin(), lines.end(), L"WaitForStartedProgram 10000");
  if (watch != lines.end() && !(fault && fault->operation == Operation::kWaitForStartedProgram)) {
    const bool javaEnded = machine.javaEnds && machine.javaEnds->waitedMilliseconds <= 10000;
    const std::wstring rest =
        javaEnded ? L"Sleep " + std::to_wstring(10000 - machine.javaEnds->waitedMilliseconds)
                  : L"EndProcess 0";
    waited = watch + 1 != lines.end() && *(watch + 1) == rest && sleeps == (javaEnded ? 1 : 0);
  }
  const bool oneMessageThenEnd = outcome.messages.size() == 1 && lines.size() >= 2 &&
                                 OperationOf(lines[lines.size() - 2]) == L"ShowMessage";
  switch (outcome.exitCode) {
    case kExitStarted:
      if (!waited || sleeps > 1 || !outcome.startedCommand) {
        broken("exit 0 comes after a start and the 10000 ms wait");
      }
      break;
    case kExitNoJavaRuntime:
      if (sleeps != 0 || outcome.startedCommand || !oneMessageThenEnd ||
          (!machine.settings && !(outcome.messages.back() == kNotInstalled ||
                                  outcome.messages.back() == kNotAvailable))) {
        broken("exit 1 comes after one discovery message, without start or wait");
      }
      break;
    case kExitUntrappedError:
      if (sleeps != 0 || outcome.messages.empty() ||
          !StartsWith(outcome.messages.back(), kReportOpening) ||
          std::count_if(outcome.messages.begin(), outcome.messages.end(),
                        [](const std::wstring& m) { return StartsWith(m, kReportOpening); }) != 1 ||
          lines.size() < 2 || OperationOf(lines[lines.size() - 2]) != L"ShowMessage") {
        broken("exit 2 comes right after one top-level report, without the wait");
      }
      break;
    case kExitBadSettings:
    case kExitAlreadyRunning:
      if (closed != lines.end() || !oneMessageThenEnd || outcome.startedCommand) {
        broken("exit 3 and 4 come after one message box, before the splash closes");
      }
      break;
    default:
      broken("the process ends with exit code 0, 1, 2, 3 or 4");
  }
  if (world.process.started.size() > 1) {
    broken("at most one program is started");
  }
  if (outcome.exitCode == kExitStarted &&
      world.process.CurrentDirectory() != machine.workingDirectory) {
    broken("after a start the working directory is the one from before");
  }

  // Registry handles: each open reads only, each close takes back a handle
  // that was open, and a handle stays open only when its close was made to
  // fail.
  std::size_t failedCloses = 0;
  for (const MemoryRegistry::Call& call : world.registry.calls()) {
    if (call.operation == MemoryRegistry::kOpenKey && call.argument != kKeyRead) {
      broken("keys are opened with KEY_READ only");
    }
    if (call.operation == MemoryRegistry::kCloseKey && call.result != kErrorSuccess) {
      if (fault && fault->operation == Operation::kCloseKey && call.result == fault->code) {
        ++failedCloses;
      } else {
        broken("only a handle that is open is closed");
      }
    }
  }
  if (seen.openHandles != failedCloses) {
    broken("every registry handle opened is closed");
  }
}

// A log that was opened begins with the byte order mark and holds whole
// lines only, and a failed write is the last one tried.
void CheckTheLog(const World& world, const std::optional<Fault>& fault, Observation& seen) {
  const std::size_t writes = world.faults.Calls(Operation::kAppendLog);
  if (fault && fault->operation == Operation::kAppendLog && writes >= fault->callNumber &&
      writes != fault->callNumber) {
    seen.brokenRules.emplace_back("the log is written no more after a write failed");
  }
  const std::wstring& opened = world.launcherFiles.openLog();
  if (opened.empty() || (fault && fault->operation == Operation::kAppendLog)) {
    return;
  }
  const std::string& bytes = world.launcherFiles.logs.at(opened);
  if (!bytes.starts_with("\xEF\xBB\xBF") || !bytes.ends_with("\r\n") ||
      bytes.find("exit code " + std::to_string(seen.outcome.exitCode) + "\r\n") ==
          std::string::npos) {
    seen.brokenRules.emplace_back(
        "the log begins with its byte order mark, holds whole lines and ends with the exit code");
  }
}

}  // namespace

Observation RunOnce(const Machine& machine, const std::optional<Fault>& fault) {
  World world(machine);
  Build(world, machine);
  if (fault) {
    world.faults.Add(*fault);
  }
  Observation seen;
  bool endedAsThePlatformEnds = false;
  std::optional<ModMain> modMain;
  try {
    PreparedLaunch prepared = PrepareLaunch(
        {world.ui, world.process, world.launcherFiles, world.system, world.guard}, world.log);
    modMain.emplace(world.loggedRegistry, world.factory.Bind(), world.numbers, world.ui, world.log,
                    std::move(prepared.javaHome));
    RunTimerTick(world.ui, world.process, *modMain, prepared.choices, world.log);
  } catch (const ProcessEnded&) {
    endedAsThePlatformEnds = true;
  } catch (const Error& error) {
    seen.brokenRules.push_back(
        "an error escaped the run: " +
        Printable(std::to_wstring(error.number()) + L" " + error.description()));
  } catch (const std::exception& error) {
    seen.brokenRules.push_back(std::string("an exception escaped the run: ") + error.what());
  }
  if (!endedAsThePlatformEnds) {
    seen.brokenRules.emplace_back("the run ends the process and does not return");
  }

  Outcome& outcome = seen.outcome;
  outcome.exitCode = world.ui.exitCode;
  outcome.messages = world.ui.messages;
  outcome.javaHomePath = modMain ? modMain->JavaHomePath : std::wstring();
  if (!world.process.started.empty()) {
    const MemoryProcessServices::Started& started = world.process.started.front();
    outcome.startedCommand = started.commandLine;
    outcome.startedIn = started.workingDirectory;
    outcome.startedOutputFile = started.options.outputFile;
    outcome.startedInheritingHandles = started.options.inheritHandles;
  }
  outcome.finalWorkingDirectory = world.process.CurrentDirectory();
  outcome.logFile = world.launcherFiles.openLog();
  seen.calls = world.faults.Calls();
  seen.openHandles = world.registry.OpenHandleCount();
  if (endedAsThePlatformEnds) {
    CheckEveryRunRules(world, machine, fault, seen);
    CheckTheLog(world, fault, seen);
  }
  return seen;
}

StoredValue TextValue(std::wstring_view text, CodePage codePage, std::uint32_t type) {
  const std::string bytes = ToCodePage(codePage, text);
  StoredValue value{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
  value.data.push_back(0);
  return value;
}

}  // namespace tq::whole_run
