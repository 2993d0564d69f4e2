// The real launcher on machines that make its life hard: a crowded or
// oversized registry, names at their limits, a double-byte code page,
// awkward launcher folders, a destination that refuses, two launchers at
// once, and a runtime that vanishes while a message box waits. For each:
// what the user sees and what is started.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/hostile_support.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/java_runtimes_test.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

// The start of a message box text, printable on one line.
std::string Shown(const std::wstring& text) {
  std::string shown;
  for (const wchar_t c : text.substr(0, 400)) {
    shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return shown;
}

class HostileTest : public JavaRuntimesTest {
 protected:
  using Texts = std::vector<std::wstring>;

  static constexpr unsigned kRecordTimeout = 20000;
  static constexpr unsigned kRunTimeout = 40000;

  // The one Java the launcher started, checked against what it must have
  // received; the launcher must then end after its wait, showing nothing
  // more.
  void ExpectOneJavaThenTheEnd(WatchedProcess& launcher, const LauncherLayout& layout,
                               const std::wstring& program, const Texts& expectedBoxes = {}) {
    const Texts boxes = AnswerEveryBox(launcher, kRunTimeout);
    EXPECT_EQ(boxes, expectedBoxes);
    const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
    ASSERT_TRUE(exitCode) << "the launcher does not end";
    EXPECT_EQ(*exitCode, kExitStarted);
    const std::vector<StandInRecord> started = records.WaitFor(1, kRecordTimeout);
    ASSERT_EQ(started.size(), 1U) << "expected exactly one Java";
    ExpectStartedByTheLauncher(started.front(), launcher, layout, program);
  }

  // Runs the launcher of a fresh layout to its end, answering its boxes.
  Texts RunToEnd(WatchedProcess& launcher, DWORD expectedExit) {
    const Texts boxes = AnswerEveryBox(launcher, kRunTimeout);
    const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
    EXPECT_TRUE(exitCode) << "the launcher does not end";
    if (exitCode) {
      EXPECT_EQ(*exitCode, expectedExit);
    }
    return boxes;
  }
};

TEST_F(HostileTest, TenThousandVersionKeysBeforeThePassingOne) {
  constexpr int kCrowd = 10000;
  const Tick fillStart = Now();
  CreateVersionKeys(
      kCrowd,
      [](int index) {
        wchar_t name[16];
        std::swprintf(name, 16, L"1.0.%05d", index);
        return std::wstring(name);
      },
      L"C:\\nowhere");
  const std::wstring home = AddRuntime(L"1.5.0", SupportFiles::kPresent, L"jre15").home();
  std::cout << "registered " << kCrowd + 1 << " version keys in " << Now() - fillStart << " ms\n";
  // The registry lists names in its own order; the passing one must come
  // after the crowd for the test to mean anything.
  const std::vector<std::wstring> listed = JavaRuntimeSubkeys();
  ASSERT_EQ(listed.size(), static_cast<std::size_t>(kCrowd + 1));
  ASSERT_EQ(listed.back(), L"1.5.0");

  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, home + L"\\bin\\java.exe");
  const std::vector<StandInRecord> started = records.Read();
  if (!started.empty()) {
    std::cout << "Java started " << started.front().startedAt - launcher.startedAt()
              << " ms after the launcher\n";
  }
}

TEST_F(HostileTest, AMegabyteJavaHomeFailsTheCopyThenTheStartAndIsReported) {
  // The value reads whole (two queries), names no folder that can exist,
  // and makes a command line beyond what a process can be given: the copy
  // fails, then the start, which the top-level report shows.
  const SupportFolder support(SupportFolder::State::kProvided);
  const std::wstring home = L"C:\\" + std::wstring(1024 * 1024, L'x');
  RegisterJavaRuntime(registry, L"1.6.0", home);
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  const Texts boxes = RunToEnd(launcher, kExitUntrappedError);
  ASSERT_EQ(boxes.size(), 3U) << testing::PrintToString(boxes);
  EXPECT_EQ(boxes[0], L"Path not found");
  EXPECT_EQ(boxes[1], text::kCopyFailed);
  EXPECT_EQ(boxes[2].rfind(text::kReportOpening, 0), 0U);
  std::cout << "report: " << Shown(boxes[2]) << "\n";
  ExpectNothingStartedBy(launcher);
}

TEST_F(HostileTest, NamesAtTheirLongest) {
  // Key names of 255 characters fit RegEnumKeyA's 260 bytes in a
  // single-byte code page, and a value name of 16383 characters beside
  // JavaHome changes nothing. Whether RegOpenKeyExA opens a path that long
  // is the system's affair (Wine 8 refuses ANSI paths over 261 characters
  // with ERROR_MORE_DATA): a winning key that cannot be opened gives an
  // empty Java home without a message, and the bare "java" starts.
  const std::wstring crowdName = L"1.0" + std::wstring(252, L'a');
  const std::wstring winnerName = L"1.6" + std::wstring(252, L'z');
  RegisterJavaRuntime(registry, crowdName, L"C:\\nowhere");
  const std::wstring home = AddRuntime(winnerName, SupportFiles::kPresent, L"jre16").home();
  const std::wstring winnerKey = std::wstring(expected::kJavaRuntimeKey) + L"\\" + winnerName;
  const DWORD number = 7;
  SetValueDirectly(winnerKey, std::wstring(16383, L'v'), REG_DWORD, &number, sizeof number);
  HKEY probe = nullptr;
  const std::string ansiKey(winnerKey.begin(), winnerKey.end());
  const LSTATUS opens = RegOpenKeyExA(HKEY_LOCAL_MACHINE, ansiKey.c_str(), 0, KEY_READ, &probe);
  if (opens == ERROR_SUCCESS) {
    RegCloseKey(probe);
  }
  std::cout << "RegOpenKeyExA of the " << ansiKey.size() << "-character key path gives " << opens
            << "\n";

  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout,
                          opens == ERROR_SUCCESS ? home + L"\\bin\\java.exe" : L"java");
}

TEST_F(HostileTest, LauncherFolderNearMaxPath) {
  RegisterJavaRuntime(registry, L"1.6", L"");
  // The launcher's own path is 259 characters, one short of MAX_PATH.
  const std::size_t exeNameLength = std::wstring(L"\\TovaneQuillon.exe").size();
  const std::size_t folderLength = MAX_PATH - 1 - exeNameLength;
  const std::size_t nameLength = folderLength - scratch.path().size() - 1;
  ASSERT_LT(nameLength, 256U);
  const LauncherLayout layout(scratch.path(), std::wstring(nameLength, L'd'), programs.launcher);
  ASSERT_EQ(layout.launcher().size(), static_cast<std::size_t>(MAX_PATH - 1));
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, L"java");
}

TEST_F(HostileTest, LauncherFolderWithShellCharacters) {
  // Nothing expands %PATH%, and ^ & ; ' pass as they are: the command line
  // does not go through a shell, and the class path stays one argument.
  RegisterJavaRuntime(registry, L"1.6", L"");
  const LauncherLayout layout(scratch.path(), L"To %PATH% ^& ; it's", programs.launcher);
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, L"java");
}

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
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  layout.PlaceJava(programs.standInJava);
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

// Run only by the test that starts the whole program under a Japanese
// locale, which gives the launcher the double-byte code page 932.
class HostileJapaneseTest : public HostileTest {
 protected:
  void SetUp() override {
    if (GetACP() != 932) {
      GTEST_SKIP() << "needs the Japanese ANSI code page (932); this process has " << GetACP();
    }
  }
};

TEST_F(HostileJapaneseTest, ARuntimePathInJapaneseLettersIsFoundFilledAndStarted) {
  const SupportFolder support(SupportFolder::State::kProvided);
  // A version name with Japanese letters after its prefix, passed over as
  // 1.4; then a runtime whose folder is named in kanji, hiragana and
  // katakana.
  RegisterJavaRuntime(registry, L"1.4\u65e5\u672c", L"C:\\nowhere");
  const std::wstring folderName = L"\u65e5\u672c\u8a9e\u306e\u30e9\u30f3\u30bf\u30a4\u30e0";
  const std::wstring home = AddRuntime(L"1.6.0_45", SupportFiles::kMissing, folderName).home();
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout, home + L"\\bin\\java.exe");
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_EQ(ReadFileBytes(home + expected::PathInRuntime(file)), SupportFolderContent(file.name))
        << Narrow(std::wstring(file.name));
  }
}

TEST_F(HostileJapaneseTest, ADoubleByteNameTooLongForTheBufferEndsTheList) {
  // 3 + 2 x 200 bytes do not fit RegEnumKeyA's 260: the list ends there, and
  // the passing runtime after it is never seen.
  RegisterJavaRuntime(registry, L"1.0" + std::wstring(200, L'\u65e5'), L"C:\\nowhere");
  AddRuntime(L"1.6.0", SupportFiles::kPresent, L"jre16");
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  layout.PlaceJava(programs.standInJava);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  EXPECT_EQ(RunToEnd(launcher, kExitNoJavaRuntime), Texts{text::kNotAvailable});
  ExpectNothingStartedBy(launcher);
}

}  // namespace
}  // namespace tq::e2e
