#include "launcher/java_command.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "launcher/launch_choices.h"
#include "platform/memory/memory_process_services.h"
#include "runtime/decision_log.h"
#include "tests/launcher_expectations.h"

namespace tq {
namespace {

using expected::JavaCommand;

TEST(BuildJavaCommand, EmptyHomeUsesTheBareJavaProgram) {
  EXPECT_EQ(BuildJavaCommand(L"", L"C:\\App"), JavaCommand(L"java", L"C:\\App"));
}

TEST(BuildJavaCommand, HomeIsFollowedByBinJavaExeUnchanged) {
  EXPECT_EQ(BuildJavaCommand(L"C:\\jre", L"C:\\App"),
            JavaCommand(L"C:\\jre\\bin\\java.exe", L"C:\\App"));
  // A trailing separator is kept, giving two in a row before "bin".
  EXPECT_EQ(BuildJavaCommand(L"C:\\jre\\", L"C:\\App").substr(0, 21), L"C:\\jre\\\\bin\\java.exe ");
  // Blanks only: not empty, so not the bare form.
  EXPECT_EQ(BuildJavaCommand(L"  ", L"C:\\App").substr(0, 5), L"\"  \\b");
}

TEST(BuildJavaCommand, HomeWithBlankOrTabIsQuotedSoNoOtherProgramRuns) {
  EXPECT_EQ(BuildJavaCommand(L"C:\\Program Files\\Java\\jre6", L"C:\\App"),
            JavaCommand(L"\"C:\\Program Files\\Java\\jre6\\bin\\java.exe\"", L"C:\\App"));
  EXPECT_EQ(BuildJavaCommand(L"C:\\j\tre", L"C:\\App").substr(0, 25),
            L"\"C:\\j\tre\\bin\\java.exe\" -c");
}

TEST(BuildJavaCommand, LauncherFolderStaysInsideTheQuotesOfEveryEntry) {
  const std::wstring command = BuildJavaCommand(L"", L"C:\\My Apps\\Tovane");
  EXPECT_EQ(command, JavaCommand(L"java", L"C:\\My Apps\\Tovane"));

  // Eleven quoted entries, ten separators between closing and opening quote.
  std::size_t separators = 0;
  for (std::size_t at = command.find(L"\";\""); at != std::wstring::npos;
       at = command.find(L"\";\"", at + 1)) {
    ++separators;
  }
  EXPECT_EQ(separators, 10U);
  EXPECT_EQ(std::count(command.begin(), command.end(), L'"'), 22);
  EXPECT_EQ(command.back(), L'r');
}

TEST(BuildJavaCommand, DriveRootFolderGivesTwoSeparatorsBeforeSorvanta) {
  const std::wstring command = BuildJavaCommand(L"", L"D:\\");
  EXPECT_EQ(command, JavaCommand(L"java", L"D:\\"));
  EXPECT_NE(command.find(L"\"D:\\\\Sorvanta\\lib\\Sorvanta.jar\""), std::wstring::npos);
}

class StartJavaApplicationTest : public ::testing::Test {
 protected:
  Journal journal;
  FaultPlan faults;
  MemoryProcessServices process{journal, faults, L"C:\\Tovane", L"C:\\Users\\me"};
  LaunchChoices choices;
  DecisionLog log;
};

TEST_F(StartJavaApplicationTest, StartsFromTheLauncherFolderAndRestoresTheDirectory) {
  StartJavaApplication(process, L"C:\\jre", choices, log);

  ASSERT_EQ(process.started.size(), 1U);
  EXPECT_EQ(process.started[0].commandLine, BuildJavaCommand(L"C:\\jre", L"C:\\Tovane"));
  EXPECT_EQ(process.started[0].workingDirectory, L"C:\\Tovane");
  EXPECT_EQ(process.WorkingDirectory(), L"C:\\Users\\me");
  const std::vector<std::wstring> expected = {
      L"LauncherFolder",
      L"WorkingDirectory",
      L"ChangeWorkingDirectory C:\\Tovane",
      L"StartHidden " + BuildJavaCommand(L"C:\\jre", L"C:\\Tovane"),
      L"ChangeWorkingDirectory C:\\Users\\me",
      L"WorkingDirectory",
  };
  EXPECT_EQ(journal.lines, expected);
}

TEST_F(StartJavaApplicationTest, AFailedStartLeavesAtOnce) {
  faults.FailCall(Operation::kStartHidden, kEveryCall, FileNotFound());
  try {
    StartJavaApplication(process, L"", choices, log);
    FAIL() << "the start did not fail";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 53);
    EXPECT_EQ(error.description(), L"File not found");
  }
  EXPECT_TRUE(process.started.empty());
  EXPECT_EQ(journal.lines.back().rfind(L"StartHidden ", 0), 0U);
}

TEST_F(StartJavaApplicationTest, AFailedChangeOfDirectoryStartsNothing) {
  faults.FailCall(Operation::kChangeWorkingDirectory, kEveryCall, PathNotFound());
  EXPECT_THROW(StartJavaApplication(process, L"", choices, log), Error);
  EXPECT_TRUE(process.started.empty());
}

}  // namespace
}  // namespace tq
