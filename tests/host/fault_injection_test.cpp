// Every platform call of the whole start-up sequence made to fail, one at a
// time, in each way that matters, on a few machines: each run must end in
// one of the prescribed ways, show exactly the prescribed messages, start at
// most one program and leave no registry handle open.

#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "tests/host/run_oracle.h"
#include "tests/host/whole_run.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::whole_run {
namespace {

struct Scenario {
  const char* name;
  Machine machine;
};

void AddSupportFolder(Machine& machine, bool withWin32Com = true) {
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    if (withWin32Com || file.name != L"Win32com.dll") {
      machine.files.push_back(expected::PathInSupportFolder(file));
    }
  }
}

void AddRuntimeFolders(Machine& machine, const std::wstring& home) {
  machine.folders.push_back(home + L"\\lib\\ext");
  machine.folders.push_back(home + L"\\bin");
}

void AddInstalledSupport(Machine& machine, const std::wstring& home) {
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    machine.files.push_back(home + expected::PathInRuntime(file));
  }
}

RuntimeEntry Runtime(const std::wstring& name, const std::wstring& home) {
  return {name, TextValue(home), false};
}

std::vector<Scenario> Scenarios() {
  std::vector<Scenario> scenarios;
  {
    // The first passing runtime among three, every support file copied; its
    // home holds a blank.
    Machine machine;
    const std::wstring home = L"C:\\Program Files\\Java\\jre6";
    machine.runtimes = {Runtime(L"1.4.2_19", L"C:\\j2re1.4.2_19"), Runtime(L"1.6.0_45", home),
                        Runtime(L"1.7.0", L"C:\\jre7")};
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, home);
    scenarios.push_back({"happy path with four copies", machine});
  }
  {
    Machine machine;
    machine.runtimes = {Runtime(L"1.6.0_45", L"C:\\jre6")};
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, L"C:\\jre6");
    AddInstalledSupport(machine, L"C:\\jre6");
    scenarios.push_back({"nothing to copy", machine});
  }
  {
    Machine machine;
    machine.runtimes = {Runtime(L"1.5", L"")};
    scenarios.push_back({"empty JavaHome: the bare java", machine});
  }
  {
    // A home longer than the first query's buffer takes two queries.
    Machine machine;
    const std::wstring home = L"C:\\" + std::wstring(1100, L'j');
    machine.runtimes = {Runtime(L"1.8.0_202", home)};
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, home);
    AddInstalledSupport(machine, home);
    machine.files.erase(machine.files.end() - 3);  // only lib\javax.comm.properties is missing
    scenarios.push_back({"long JavaHome, one copy", machine});
  }
  {
    Machine machine;
    machine.launcherFolder = L"C:\\";
    machine.workingDirectory = L"D:\\work";
    machine.runtimes = {Runtime(L"1.6", L"C:\\jre6\\")};
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, L"C:\\jre6");
    AddInstalledSupport(machine, L"C:\\jre6");
    scenarios.push_back({"launcher at a drive root, home with a closing backslash", machine});
  }
  {
    Machine machine;
    machine.hasBaseKey = false;
    scenarios.push_back({"no runtime registered", machine});
  }
  {
    Machine machine;
    machine.runtimes = {Runtime(L"1.4", L"C:\\jre14"), Runtime(L"1.4.2_19", L"C:\\jre142")};
    scenarios.push_back({"none recent enough", machine});
  }
  {
    Machine machine;
    machine.runtimes = {Runtime(L"jdk", L"C:\\jdk"), Runtime(L"1.6", L"C:\\jre6")};
    scenarios.push_back({"a name that reads as no number comes first", machine});
  }
  {
    Machine machine;
    machine.runtimes = {{L"1.6", std::nullopt, false}};
    scenarios.push_back({"the winner lacks JavaHome", machine});
  }
  {
    Machine machine;
    machine.runtimes = {Runtime(L"1.6.0_45", L"C:\\jre6")};
    AddSupportFolder(machine, false);
    AddRuntimeFolders(machine, L"C:\\jre6");
    scenarios.push_back({"support folder lacks Win32com.dll", machine});
  }
  {
    // Everything the settings file offers: a private runtime beside the
    // launcher, options with a reference, the single-instance guard, a log
    // and Java's output in files.
    Machine machine;
    const std::wstring home = machine.launcherFolder + L"\\jre";
    machine.settings = SettingsFile(
        "[Java]\r\nHome=jre\r\nOptions=-Xmx512m -Dtq.user=%USERNAME%\r\n"
        "[Launcher]\r\nSingleInstance=yes\r\n[Log]\r\nFile=tq.log\r\nJavaOutput=java.log\r\n");
    machine.settings->home = L"jre";
    machine.settings->homeLine = 2;
    machine.settings->options = L"-Xmx512m -Dtq.user=%USERNAME%";
    machine.settings->singleInstance = true;
    machine.settings->logFile = L"tq.log";
    machine.settings->javaOutput = L"java.log";
    machine.environment = {{L"USERNAME", L"operator"}};
    machine.javaEnds = ProgramEnd{3, 2000};
    machine.files.push_back(home + L"\\bin\\java.exe");
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, home);
    scenarios.push_back({"settings: private runtime, options, one instance, logs", machine});
  }
  {
    Machine machine;
    machine.arguments = L"--log";
    machine.runtimes = {Runtime(L"1.6.0_45", L"C:\\jre6")};
    AddSupportFolder(machine);
    AddRuntimeFolders(machine, L"C:\\jre6");
    scenarios.push_back({"--log with a registered runtime", machine});
  }
  {
    Machine machine;
    machine.settings = SettingsFile("[java]\nhome = C:\\no jre\n");
    machine.settings->home = L"C:\\no jre";
    machine.settings->homeLine = 2;
    scenarios.push_back({"settings: a runtime without java.exe", machine});
  }
  {
    Machine machine;
    machine.settings = SettingsFile("[Launcher]\r\nSingleInstance=yes\r\n");
    machine.settings->singleInstance = true;
    machine.applicationRuns = true;
    machine.runtimes = {Runtime(L"1.6", L"")};
    scenarios.push_back({"settings: the application runs already", machine});
  }
  {
    Machine machine;
    machine.arguments = L"--log";
    machine.settings = SettingsFile("[Launcher]\r\nSingleInstance=maybe\r\n");
    machine.settings->problem =
        L"Line 2, [Launcher] SingleInstance: \"maybe\" is not allowed; write yes or no";
    scenarios.push_back({"settings: a value that is not allowed", machine});
  }
  return scenarios;
}

// The failures each operation can meet: registry result codes, or errors.
// The call number is set by the sweep.
std::vector<Fault> FailureKinds(Operation operation) {
  const Fault diskFull{operation, 0, -2147024784, L"There is not enough space on the disk."};
  const Fault badParameter{operation, 0, -2147024809, L"The parameter is incorrect."};
  const Fault fileNotFound{operation, 0, 53, L"File not found"};
  const Fault pathNotFound{operation, 0, 76, L"Path not found"};
  switch (operation) {
    case Operation::kOpenKey:
    case Operation::kEnumKey:
    case Operation::kQueryValue:
    case Operation::kCloseKey:
      // Not found, access denied, more data, and a code nobody expects.
      return {{operation, 0, 2}, {operation, 0, 5}, {operation, 0, 234}, {operation, 0, 31}};
    case Operation::kCreateFileSystem:
      return {{operation, 0, 429, L"ActiveX component can't create object"}, diskFull};
    case Operation::kFileExists:
    case Operation::kCopyFile:
      return {fileNotFound, pathNotFound, {operation, 0, 70, L"Permission denied"}, diskFull};
    case Operation::kLauncherFolder:
    case Operation::kWorkingDirectory:
    case Operation::kChangeWorkingDirectory:
    case Operation::kStartHidden:
    case Operation::kReadFile:
    case Operation::kOpenLog:
      return {fileNotFound, pathNotFound, badParameter};
    case Operation::kLauncherProgram:
    case Operation::kExpandEnvironment:
    case Operation::kTemporaryFolder:
    case Operation::kClaimGuard:
    case Operation::kWaitForStartedProgram:
      return {badParameter};
    case Operation::kAppendLog:
      return {diskFull};
    case Operation::kToDouble:
      return {{operation, 0, 13, L"Type mismatch"}};
    // Only the runtime search calls these, and only a settings file asks for
    // the search: no scenario here calls them, so the sweep meets none.
    case Operation::kSubfolders:
    case Operation::kReadBytes:
    case Operation::kFinalPath:
      return {fileNotFound, pathNotFound, {operation, 0, 70, L"Permission denied"}};
  }
  return {};
}

// Runs once and checks the run against the rules and the prediction; the
// problems found, one line each.
std::vector<std::string> RunAndCheck(const Machine& machine, const std::optional<Fault>& fault,
                                     Observation& seen) {
  seen = RunOnce(machine, fault);
  std::vector<std::string> problems = seen.brokenRules;
  for (std::string& difference : Differences(Predict(machine, fault), seen)) {
    problems.push_back(std::move(difference));
  }
  return problems;
}

TEST(FaultInjection, EveryCallOfEveryScenarioFailsInEveryWayThatMatters) {
  int runs = 0;
  int faults = 0;
  int reported = 0;
  std::set<std::string> outcomes;
  for (const Scenario& scenario : Scenarios()) {
    SCOPED_TRACE(scenario.name);
    Observation baseline;
    const std::vector<std::string> baselineProblems =
        RunAndCheck(scenario.machine, std::nullopt, baseline);
    ++runs;
    outcomes.insert(Describe(baseline.outcome));
    for (const std::string& problem : baselineProblems) {
      ADD_FAILURE() << "without a fault: " << problem;
    }

    int scenarioRuns = 1;
    for (const Operation operation : kAllOperations) {
      for (std::size_t call = 1; call <= baseline.calls[operation]; ++call) {
        for (Fault fault : FailureKinds(operation)) {
          fault.callNumber = call;
          Observation seen;
          const std::vector<std::string> problems = RunAndCheck(scenario.machine, fault, seen);
          ++runs;
          ++faults;
          ++scenarioRuns;
          outcomes.insert(Describe(seen.outcome));
          if (!problems.empty() && ++reported <= 25) {
            std::string text;
            for (const std::string& problem : problems) {
              text += "\n  " + problem;
            }
            ADD_FAILURE() << Describe(fault) << ":" << text;
          }
        }
      }
    }
    std::cout << "[fault injection] " << scenario.name << ": " << scenarioRuns << " runs\n";
  }
  EXPECT_EQ(reported, 0) << "runs that broke a rule or differed from the prediction";
  std::cout << "[fault injection] " << runs << " runs (" << faults << " injected faults), "
            << outcomes.size() << " distinct outcomes\n";
  RecordProperty("runs", runs);
  RecordProperty("injected_faults", faults);
  RecordProperty("distinct_outcomes", static_cast<int>(outcomes.size()));
}

// The prediction itself, pinned to literal expectations in a few places, so
// that the sweep above does not rest on the oracle alone.
class FaultPlaces : public ::testing::Test {
 protected:
  Scenario happy = Scenarios().front();
  const std::wstring home = L"C:\\Program Files\\Java\\jre6";

  [[nodiscard]] Outcome RunWith(const Fault& fault) const {
    Observation seen = RunOnce(happy.machine, fault);
    EXPECT_TRUE(seen.brokenRules.empty()) << seen.brokenRules.front();
    EXPECT_EQ(seen.openHandles, 0U);
    return seen.outcome;
  }
};

TEST_F(FaultPlaces, ARefusedCopyShowsItsTwoMessagesAndTheLaunchGoesOnWithTheRuntime) {
  const Outcome outcome = RunWith({Operation::kCopyFile, 2, 70, L"Permission denied"});
  EXPECT_EQ(outcome.messages, (std::vector<std::wstring>{L"Permission denied", text::kCopyFailed}));
  EXPECT_EQ(outcome.exitCode, 0U);
  EXPECT_EQ(outcome.javaHomePath, home);
  ASSERT_TRUE(outcome.startedCommand);
  EXPECT_EQ(outcome.startedCommand->rfind(L"\"" + home + L"\\bin\\java.exe\" -classpath ", 0), 0U);
}

TEST_F(FaultPlaces, TheBaseKeyThatCannotBeOpenedMeansNotInstalled) {
  const Outcome outcome = RunWith({Operation::kOpenKey, 1, 5});
  ASSERT_EQ(outcome.messages.size(), 1U);
  EXPECT_EQ(outcome.messages[0], text::kNotInstalled);
  EXPECT_EQ(outcome.exitCode, 1U);
  EXPECT_FALSE(outcome.startedCommand);
}

TEST_F(FaultPlaces, AnEnumerationCutBeforeTheWinnerMeansNotAvailable) {
  const Outcome outcome = RunWith({Operation::kEnumKey, 2, 31});
  EXPECT_EQ(outcome.messages, std::vector<std::wstring>{text::kNotAvailable});
  EXPECT_EQ(outcome.exitCode, 1U);
}

TEST_F(FaultPlaces, AFailedQueryIsAnUnsupportedTypeAndTheBareJavaStarts) {
  const Outcome outcome = RunWith({Operation::kQueryValue, 1, 5});
  EXPECT_EQ(outcome.messages,
            (std::vector<std::wstring>{L"Unsupported value type", text::kSearchFailed}));
  EXPECT_EQ(outcome.javaHomePath, L"");
  ASSERT_TRUE(outcome.startedCommand);
  EXPECT_EQ(outcome.startedCommand->rfind(L"java -classpath ", 0), 0U);
}

TEST_F(FaultPlaces, AFailedStartIsReportedAndTheWorkingDirectoryStaysChanged) {
  const Outcome outcome = RunWith({Operation::kStartHidden, 1, 53, L"File not found"});
  EXPECT_EQ(outcome.messages,
            std::vector<std::wstring>{L"Run-time error '53':\r\n\r\nFile not found"});
  EXPECT_EQ(outcome.exitCode, 2U);
  EXPECT_FALSE(outcome.startedCommand);
  EXPECT_EQ(outcome.finalWorkingDirectory, happy.machine.launcherFolder);
}

TEST_F(FaultPlaces, AFailedCloseChangesNothingTheUserSeesButLeavesTheHandle) {
  Observation seen = RunOnce(happy.machine, Fault{Operation::kCloseKey, 2, 6});
  EXPECT_EQ(seen.outcome, RunOnce(happy.machine, std::nullopt).outcome);
  EXPECT_EQ(seen.openHandles, 1U);
  EXPECT_TRUE(seen.brokenRules.empty());
}

}  // namespace
}  // namespace tq::whole_run
