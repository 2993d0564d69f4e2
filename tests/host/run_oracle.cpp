#include "tests/host/run_oracle.h"

#include <utility>

#include "platform/memory/memory_number_conversion.h"
#include "tests/host/predicted_machine.h"
#include "tests/launcher_expectations.h"

namespace tq::whole_run {
namespace {

// Ends the story where the process ends.
struct ProcessEnds {};

class Story {
 public:
  Story(const Machine& machine, const std::optional<Fault>& fault)
      : machine_(machine),
        calls_(fault),
        registry_(machine, calls_),
        files_(machine),
        workingDirectory_(machine.workingDirectory) {}

  Prediction Tell() {
    try {
      Prepare();
      FindJavaHome();
      StartJavaApplication();
      Wait();
      // The end of a good run.
      prediction_.outcome.exitCode = 0;
    } catch (const ProcessEnds&) {
    }
    prediction_.outcome.javaHomePath = javaHomePath_;
    prediction_.outcome.finalWorkingDirectory = workingDirectory_;
    prediction_.outcome.logFile = logFile_;
    prediction_.calls = calls_.counts();
    prediction_.openHandles = registry_.OpenHandles();
    return std::move(prediction_);
  }

 private:
  void Show(const std::wstring& text) { prediction_.outcome.messages.push_back(text); }
  [[noreturn]] void End(unsigned exitCode) {
    prediction_.outcome.exitCode = exitCode;
    throw ProcessEnds{};
  }

  // --- Before the splash: the switch, the settings, the log, the guard.
  [[nodiscard]] std::wstring InLauncherFolder(const std::wstring& name) const {
    const std::wstring& folder = machine_.launcherFolder;
    return folder + (folder.ends_with(L'\\') ? L"" : L"\\") + name;
  }

  // The machine's settings use plain names and %NAME% references only.
  std::wstring Expanded(const std::wstring& text) {
    if (calls_.Fails(Operation::kExpandEnvironment)) {
      Report(calls_.Injected());
    }
    std::wstring expanded = text;
    for (const auto& [name, value] : machine_.environment) {
      const std::wstring reference = L"%" + name + L"%";
      for (std::size_t at = expanded.find(reference); at != std::wstring::npos;
           at = expanded.find(reference, at + value.size())) {
        expanded.replace(at, reference.size(), value);
      }
    }
    return expanded;
  }
  std::wstring ExpandedPath(const std::wstring& text) {
    const std::wstring path = Expanded(text);
    return path.size() > 1 && path[1] == L':' ? path : InLauncherFolder(path);
  }

  void OpenLog(const std::wstring& path) {
    if (!logFile_.empty() || path.empty() || calls_.Fails(Operation::kOpenLog)) {
      return;
    }
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    if (folder + L"\\" == kTemporaryFolder || folder == machine_.launcherFolder) {
      logFile_ = path;
    }
  }

  void Prepare() {
    if (calls_.Fails(Operation::kLauncherProgram)) {
      Report(calls_.Injected());
    }
    const std::wstring settingsFile = InLauncherFolder(L"TovaneQuillon.ini");
    if (machine_.arguments == L"--log" && !calls_.Fails(Operation::kTemporaryFolder)) {
      OpenLog(std::wstring(kTemporaryFolder) + L"TovaneQuillon.log");
    }
    std::optional<std::wstring> problem;
    const bool readFails = calls_.Fails(Operation::kReadFile);
    const SettingsOnMachine* settings = machine_.settings ? &*machine_.settings : nullptr;
    if (readFails || (settings && settings->unreadable)) {
      problem = L"The file cannot be read: " +
                (readFails ? calls_.Injected().description : std::wstring(L"Permission denied"));
    } else if (settings && settings->problem) {
      problem = settings->problem;
    } else if (settings) {
      if (!settings->home.empty()) {
        configuredHome_ = ExpandedPath(settings->home);
      }
      if (settings->options) {
        javaOptions_ = Expanded(*settings->options);
      }
      std::wstring logFile;
      if (!settings->logFile.empty()) {
        logFile = ExpandedPath(settings->logFile);
      }
      if (!settings->javaOutput.empty()) {
        javaOutput_ = ExpandedPath(settings->javaOutput);
      }
      OpenLog(logFile);
    }
    if (problem) {
      Show(text::BadSettings(settingsFile, *problem));
      End(3);
    }
    singleInstance_ = settings && settings->singleInstance;
    if (singleInstance_) {
      if (calls_.Fails(Operation::kClaimGuard)) {
        Report(calls_.Injected());
      }
      if (machine_.applicationRuns) {
        Show(text::AlreadyRunning(machine_.launcherFolder));
        End(4);
      }
    }
  }

  // The runtime the settings file names: it must hold bin\java.exe.
  void TakeConfiguredHome() {
    const std::wstring java = configuredHome_ + L"\\bin\\java.exe";
    std::optional<Failure> failure;
    if (calls_.Fails(Operation::kCreateFileSystem)) {
      failure = calls_.Injected();
    } else {
      fileSystemMade_ = true;
      if (calls_.Fails(Operation::kFileExists)) {
        failure = calls_.Injected();
      }
    }
    if (failure || !files_.FileExists(java)) {
      const SettingsOnMachine& settings = *machine_.settings;
      Show(text::NoJavaInConfiguredHome(InLauncherFolder(L"TovaneQuillon.ini"), settings.homeLine,
                                        settings.home, java,
                                        failure ? failure->description : std::wstring()));
      End(1);
    }
    // With a log, its java.exe is read for the log to say its bitness; what
    // the read gives changes nothing else.
    if (!logFile_.empty()) {
      calls_.Fails(Operation::kReadBytes);
    }
    javaHomePath_ = configuredHome_;
    InstallCommSupport(configuredHome_);
  }

  void FindJavaHome() {
    javaHomePath_.clear();
    if (!configuredHome_.empty()) {
      TakeConfiguredHome();
      return;
    }
    if (!registry_.BaseKeyExists()) {
      Show(text::kNotInstalled);
      End(1);
    }

    std::optional<Failure> failure;
    const std::vector<std::wstring> names = registry_.EnumerateVersions(failure);

    std::optional<std::wstring> winner;
    for (std::size_t i = 0; !failure && i < names.size(); ++i) {
      const std::wstring prefix = names[i].substr(0, 3);
      if (calls_.Fails(Operation::kToDouble)) {
        failure = calls_.Injected();
        break;
      }
      // What the platform's conversion reads; asked of a conversion of its
      // own so that the run's count stays the run's.
      MemoryNumberConversion platform;
      try {
        if (platform.ToDouble(prefix) >= 1.5) {
          winner = names[i];
        }
      } catch (const Error& error) {
        failure = Failure{error.number(), error.description()};
      }
      if (winner) {
        break;
      }
    }
    if (!failure && !winner) {
      Show(text::kNotAvailable);
      End(1);
    }

    if (!failure) {
      std::wstring directory;
      failure = registry_.ReadRuntimeDirectory(*winner, directory);
      if (!failure && !directory.empty()) {
        javaHomePath_ = directory;
        InstallCommSupport(directory);
      }
    }
    if (failure) {
      Show(failure->description);
      Show(text::kSearchFailed);
      javaHomePath_.clear();
    }
  }

  void InstallCommSupport(const std::wstring& directory) {
    std::optional<Failure> failure;
    bool& made = fileSystemMade_;
    for (std::size_t row = 0; row < expected::kSupportFiles.size() && !failure; ++row) {
      const expected::SupportFile& file = expected::kSupportFiles[row];
      if (!made) {
        if (calls_.Fails(Operation::kCreateFileSystem)) {
          failure = calls_.Injected();
          break;
        }
        made = true;
      }
      const std::wstring folder = directory + std::wstring(file.folderInRuntime);
      if (calls_.Fails(Operation::kFileExists)) {
        failure = calls_.Injected();
        break;
      }
      if (!files_.FileExists(folder + std::wstring(file.name))) {
        failure = calls_.Fails(Operation::kCopyFile)
                      ? calls_.Injected()
                      : files_.CopyFile(expected::PathInSupportFolder(file), folder);
      }
    }
    if (failure) {
      Show(failure->description);
      Show(text::kCopyFailed);
    }
  }

  // --- The launch.
  [[noreturn]] void Report(const Failure& failure) {
    Show(ExpectedReport(failure.number, failure.description));
    End(2);
  }

  void StartJavaApplication() {
    if (calls_.Fails(Operation::kLauncherFolder)) {
      Report(calls_.Injected());
    }
    std::wstring command = ExpectedCommand(javaHomePath_, machine_.launcherFolder);
    if (!javaOptions_.empty()) {
      command.insert(command.find(L" -classpath ") + 1, javaOptions_ + L" ");
    }
    if (calls_.Fails(Operation::kWorkingDirectory)) {
      Report(calls_.Injected());
    }
    const std::wstring saved = workingDirectory_;
    if (calls_.Fails(Operation::kChangeWorkingDirectory)) {
      Report(calls_.Injected());
    }
    workingDirectory_ = machine_.launcherFolder;
    if (calls_.Fails(Operation::kStartHidden)) {
      Report(calls_.Injected());
    }
    prediction_.outcome.startedCommand = command;
    prediction_.outcome.startedIn = workingDirectory_;
    prediction_.outcome.startedOutputFile = javaOutput_;
    prediction_.outcome.startedInheritingHandles = singleInstance_;
    if (calls_.Fails(Operation::kChangeWorkingDirectory)) {
      Report(calls_.Injected());
    }
    workingDirectory_ = saved;
  }

  // With a log, Java is watched during the wait; a watch that fails is
  // followed by the plain wait.
  void Wait() {
    if (!logFile_.empty()) {
      calls_.Fails(Operation::kWaitForStartedProgram);
    }
  }

  const Machine& machine_;
  PredictedCalls calls_;
  PredictedRegistry registry_;
  PredictedFiles files_;
  Prediction prediction_;
  std::wstring javaHomePath_;
  std::wstring workingDirectory_;
  std::wstring configuredHome_;
  std::wstring javaOptions_;
  std::wstring javaOutput_;
  std::wstring logFile_;
  bool singleInstance_ = false;
  bool fileSystemMade_ = false;
};

}  // namespace

std::wstring ExpectedReport(int number, const std::wstring& description) {
  return L"Run-time error '" + std::to_wstring(number) + L"':\r\n\r\n" + description;
}

std::wstring ExpectedCommand(const std::wstring& javaHome, const std::wstring& launcherFolder) {
  std::wstring program = L"java";
  if (!javaHome.empty()) {
    program = javaHome + L"\\bin\\java.exe";
    if (javaHome.find_first_of(L" \t") != std::wstring::npos) {
      program = L"\"" + program + L"\"";
    }
  }
  return expected::JavaCommand(program, launcherFolder);
}

Prediction Predict(const Machine& machine, const std::optional<Fault>& fault) {
  return Story(machine, fault).Tell();
}

std::vector<std::string> Differences(const Prediction& expected, const Observation& seen) {
  std::vector<std::string> differences;
  if (!(expected.outcome == seen.outcome)) {
    differences.push_back("expected " + Describe(expected.outcome));
    differences.push_back("but saw  " + Describe(seen.outcome));
  }
  for (const Operation operation : kAllOperations) {
    // How many lines the log takes is the log's own affair; the rules of
    // every run say what must hold of its writes.
    if (operation == Operation::kAppendLog) {
      continue;
    }
    const std::size_t want = expected.calls[operation];
    const std::size_t got = seen.calls[operation];
    if (want != got) {
      differences.push_back(std::string(OperationName(operation)) + " called " +
                            std::to_string(got) + " times, expected " + std::to_string(want));
    }
  }
  if (expected.openHandles != seen.openHandles) {
    differences.push_back("registry handles left open: " + std::to_string(seen.openHandles) +
                          ", expected " + std::to_string(expected.openHandles));
  }
  return differences;
}

}  // namespace tq::whole_run
