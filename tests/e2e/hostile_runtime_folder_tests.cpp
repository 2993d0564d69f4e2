// The real launcher installing into a runtime that resists: a read-only
// support file, a folder in the way of a copy, two launchers copying at
// once, and the runtime removed while a message box waits.

#include <set>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/hostile_support.h"
#include "tests/e2e/hostile_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

TEST_F(HostileTest, AReadOnlySupportFileInTheRuntimeIsLeftAlone) {
  const SupportFolder support(SupportFolder::State::kProvided);
  const std::wstring home = AddRuntime(L"1.6.0", SupportFiles::kMissing, L"jre16").home();
  const std::wstring commJar = home + L"\\lib\\ext\\Comm.jar";
  WriteFileBytes(commJar, "an older Comm.jar");
  ASSERT_TRUE(SetFileAttributesW(commJar.c_str(), FILE_ATTRIBUTE_READONLY));

  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, home + L"\\bin\\java.exe");
  EXPECT_EQ(ReadFileBytes(commJar), "an older Comm.jar");
  EXPECT_NE(GetFileAttributesW(commJar.c_str()) & FILE_ATTRIBUTE_READONLY, 0U);
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    if (file.name != L"Comm.jar") {
      EXPECT_EQ(ReadFileBytes(home + expected::PathInRuntime(file)),
                SupportFolderContent(file.name));
    }
  }
}

TEST_F(HostileTest, AFolderInTheWayOfTheCopyIsRefusedAndTheLaunchGoesOn) {
  const SupportFolder support(SupportFolder::State::kProvided);
  const std::wstring home = AddRuntime(L"1.6.0", SupportFiles::kMissing, L"jre16").home();
  ASSERT_TRUE(CreateDirectoryW((home + L"\\lib\\ext\\Comm.jar").c_str(), nullptr));

  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, home + L"\\bin\\java.exe",
                          {L"Permission denied", text::kCopyFailed});
  // The rows after the failed one are not looked at, and the failed copy
  // leaves nothing behind.
  for (std::size_t row = 1; row < expected::kSupportFiles.size(); ++row) {
    EXPECT_FALSE(IsFile(home + expected::PathInRuntime(expected::kSupportFiles[row])));
  }
  EXPECT_TRUE(FilesMatching(home + L"\\lib\\ext", L"*.tmp").empty());
}

TEST_F(HostileTest, TwoLaunchersAtOnceInstallIntoOneRuntimeAndEachStartsItsJava) {
  const SupportFolder support(SupportFolder::State::kProvided);
  const std::wstring home = AddRuntime(L"1.6.0", SupportFiles::kMissing, L"jre16").home();
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess first = StartLauncher(layout, records.Environment());
  WatchedProcess second = StartLauncher(layout, records.Environment());

  const std::vector<StandInRecord> started = records.WaitFor(2, kRecordTimeout);
  ASSERT_EQ(started.size(), 2U) << "expected one Java per launcher";
  EXPECT_EQ((std::set<DWORD>{started[0].parentPid, started[1].parentPid}),
            (std::set<DWORD>{first.pid(), second.pid()}));
  for (const StandInRecord& java : started) {
    EXPECT_EQ(java.commandLine, expected::JavaCommand(home + L"\\bin\\java.exe", layout.folder()));
  }
  for (WatchedProcess* launcher : {&first, &second}) {
    EXPECT_EQ(AnswerEveryBox(*launcher, kRunTimeout), Texts{});
    const std::optional<DWORD> exitCode = launcher->WaitForExit(5000);
    ASSERT_TRUE(exitCode) << "a launcher does not end";
    EXPECT_EQ(*exitCode, kExitStarted);
  }
  // Whichever copy won, each file is whole, and no temporary file is left.
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_EQ(ReadFileBytes(home + expected::PathInRuntime(file)), SupportFolderContent(file.name));
  }
  for (const wchar_t* folder : {L"\\lib\\ext", L"\\lib", L"\\bin"}) {
    EXPECT_TRUE(FilesMatching(home + folder, L"*.tmp").empty()) << Narrow(folder);
  }
}

TEST_F(HostileTest, TheRuntimeRemovedWhileACopyFailureWaitsMakesTheStartFail) {
  // No support folder: the first copy fails and its box waits for OK.
  // Meanwhile the runtime goes; the start of its java.exe then fails.
  const SupportFolder absent(SupportFolder::State::kAbsent);
  const std::wstring home = AddRuntime(L"1.6.0", SupportFiles::kMissing, L"jre16").home();
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  bool removed = false;
  const Texts boxes = AnswerEveryBox(launcher, kRunTimeout, [&](std::size_t index, auto&&) {
    if (index == 0) {
      removed = RemoveFolderTree(home);
    }
  });
  ASSERT_TRUE(removed) << "the runtime folder could not be removed";
  EXPECT_EQ(boxes, (Texts{L"File not found", text::kCopyFailed,
                          L"Run-time error '53':\r\n\r\nFile not found"}));
  const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
  ASSERT_TRUE(exitCode) << "the launcher does not end";
  EXPECT_EQ(*exitCode, kExitUntrappedError);
  ExpectNothingStartedBy(launcher);
}

}  // namespace
}  // namespace tq::e2e
