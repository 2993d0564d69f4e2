#include "tests/host/whole_run.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "common/error.h"
#include "launcher/startup_sequence.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/memory/memory_process_services.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_user_interface.h"
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
        registry(faults, machine.codePage) {}

  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process;
  MemoryUserInterface ui{journal};
  MemoryRegistry registry;
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryNumberConversion numbers{faults};
};

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
}

// The rules every run keeps, whatever failed in it.
void CheckEveryRunRules(const World& world, const Machine& machine,
                        const std::optional<Fault>& fault, Observation& seen) {
  const auto broken = [&](std::string rule) { seen.brokenRules.push_back(std::move(rule)); };
  const std::vector<std::wstring>& lines = world.journal.lines;
  const Outcome& outcome = seen.outcome;

  if (lines.empty() || lines.front() != L"CloseSplash") {
    broken("the splash closes before anything else happens");
  }
  const auto ends = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
    return OperationOf(line) == L"EndProcess";
  });
  if (ends != 1 || OperationOf(lines.back()) != L"EndProcess") {
    broken("the process ends exactly once, and nothing runs after");
  }
  const bool waited = lines.size() >= 2 && lines[lines.size() - 2] == L"Sleep 10000";
  const auto sleeps = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
    return OperationOf(line) == L"Sleep";
  });
  switch (outcome.exitCode) {
    case kExitStarted:
      if (!waited || sleeps != 1 || !outcome.startedCommand) {
        broken("exit 0 comes after a start and the 10000 ms wait");
      }
      break;
    case kExitNoJavaRuntime:
      if (sleeps != 0 || outcome.startedCommand || outcome.messages.size() != 1 ||
          !(outcome.messages.back() == kNotInstalled || outcome.messages.back() == kNotAvailable)) {
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
    default:
      broken("the process ends with exit code 0, 1 or 2");
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

}  // namespace

Observation RunOnce(const Machine& machine, const std::optional<Fault>& fault) {
  World world(machine);
  Build(world, machine);
  if (fault) {
    world.faults.Add(*fault);
  }
  ModMain modMain(world.registry, world.factory.Bind(), world.numbers, world.ui);

  Observation seen;
  bool endedAsThePlatformEnds = false;
  try {
    RunTimerTick(world.ui, world.process, modMain);
  } catch (const ProcessEnded&) {
    endedAsThePlatformEnds = true;
  } catch (const Error& error) {
    seen.brokenRules.push_back(
        "an error escaped the tick: " +
        Printable(std::to_wstring(error.number()) + L" " + error.description()));
  } catch (const std::exception& error) {
    seen.brokenRules.push_back(std::string("an exception escaped the tick: ") + error.what());
  }
  if (!endedAsThePlatformEnds) {
    seen.brokenRules.emplace_back("the tick ends the process and does not return");
  }

  Outcome& outcome = seen.outcome;
  outcome.exitCode = world.ui.exitCode;
  outcome.messages = world.ui.messages;
  outcome.javaHomePath = modMain.JavaHomePath;
  if (!world.process.started.empty()) {
    outcome.startedCommand = world.process.started.front().commandLine;
    outcome.startedIn = world.process.started.front().workingDirectory;
  }
  outcome.finalWorkingDirectory = world.process.CurrentDirectory();
  seen.calls = world.faults.Calls();
  seen.openHandles = world.registry.OpenHandleCount();
  if (endedAsThePlatformEnds) {
    CheckEveryRunRules(world, machine, fault, seen);
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
