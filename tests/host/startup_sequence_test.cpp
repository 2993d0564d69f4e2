#include "launcher/startup_sequence.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "launcher/java_command.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_number_conversion.h"
#include "platform/memory/memory_process_services.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_user_interface.h"
#include "runtime/mod_main.h"
#include "tests/launcher_expectations.h"

namespace tq {
namespace {

class StartupSequenceTest : public ::testing::Test {
 protected:
  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process{journal, faults, L"C:\\Tovane", L"C:\\"};
  MemoryUserInterface ui{journal};
  MemoryRegistry registry{faults};
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryNumberConversion numbers{faults};
  DecisionLog log;
  ModMain modMain{registry, factory.Bind(), numbers, ui, log};

  void SetUp() override {
    // A runtime is registered but names no folder: the bare "java" runs.
    registry.SetString(kHkeyLocalMachine, std::wstring(expected::kJavaRuntimeKey) + L"\\1.6",
                       L"JavaHome", L"");
  }
};

TEST_F(StartupSequenceTest, ClosesTheSplashStartsJavaWaitsAndEnds) {
  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);

  EXPECT_EQ(journal.lines.front(), L"CloseSplash");
  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_EQ(process.started[0].commandLine.rfind(L"java -classpath ", 0), 0U);
  const std::vector<std::wstring> tail(journal.lines.end() - 3, journal.lines.end());
  const std::vector<std::wstring> expected = {L"ChangeWorkingDirectory C:\\", L"Sleep 10000",
                                              L"EndProcess 0"};
  EXPECT_EQ(tail, expected);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartupSequenceTest, AnUntrappedErrorIsReportedOnceWithoutTheWait) {
  faults.FailCall(Operation::kStartHidden, kEveryCall, FileNotFound());

  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);

  EXPECT_EQ(ui.messages, std::vector<std::wstring>{L"Run-time error '53':\r\n\r\nFile not found"});
  EXPECT_EQ(ui.exitCode, kExitUntrappedError);
  for (const std::wstring& line : journal.lines) {
    EXPECT_NE(line.rfind(L"Sleep", 0), 0U) << "waited after a failed start";
  }
  EXPECT_TRUE(process.started.empty());
}

TEST_F(StartupSequenceTest, AFailureToFindTheLauncherFolderIsReportedToo) {
  faults.FailCall(Operation::kLauncherFolder, kEveryCall,
                  Error(-2147024809, L"The parameter is incorrect."));
  EXPECT_THROW(RunTimerTick(ui, process, modMain), ProcessEnded);
  EXPECT_EQ(ui.messages, std::vector<std::wstring>{
                             L"Run-time error '-2147024809':\r\n\r\nThe parameter is incorrect."});
}

}  // namespace
}  // namespace tq
