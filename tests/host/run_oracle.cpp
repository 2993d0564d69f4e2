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
      FindJavaHome();
      StartJavaApplication();
      // The wait, then the end of a good run.
      prediction_.outcome.exitCode = 0;
    } catch (const ProcessEnds&) {
    }
    prediction_.outcome.javaHomePath = javaHomePath_;
    prediction_.outcome.finalWorkingDirectory = workingDirectory_;
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

  void FindJavaHome() {
    javaHomePath_.clear();
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
    bool made = false;
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
    const std::wstring command = ExpectedCommand(javaHomePath_, machine_.launcherFolder);
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
    if (calls_.Fails(Operation::kChangeWorkingDirectory)) {
      Report(calls_.Injected());
    }
    workingDirectory_ = saved;
  }

  const Machine& machine_;
  PredictedCalls calls_;
  PredictedRegistry registry_;
  PredictedFiles files_;
  Prediction prediction_;
  std::wstring javaHomePath_;
  std::wstring workingDirectory_;
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
