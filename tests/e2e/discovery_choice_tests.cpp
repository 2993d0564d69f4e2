// The launcher choosing among the Java runtimes the registry lists: the
// first of at least 1.5 gets the support files it lacks and is started,
// whatever the other view of the registry, a program planted on an unquoted
// path or the user's number format would have it do.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/discovery_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

TEST_F(DiscoveryTest, TheFirstRuntimeOfAtLeastOnePointFiveGetsTheMissingSupportFilesAndIsStarted) {
  ASSERT_NO_FATAL_FAILURE(AssertScratchWithoutBlanks());
  const SupportFolder support(SupportFolder::State::kProvided);
  const JavaRuntimeFolder old = AddRuntime(L"1.4.2_19", SupportFiles::kMissing);
  const JavaRuntimeFolder chosen = AddRuntime(L"1.5.0_22", SupportFiles::kMissing);
  const JavaRuntimeFolder newer = AddRuntime(L"1.6.0_45", SupportFiles::kMissing);
  ASSERT_EQ(JavaRuntimeSubkeys(),
            (std::vector<std::wstring>{L"1.4.2_19", L"1.5.0_22", L"1.6.0_45"}))
      << "the registry does not enumerate the runtimes in the order this test needs";

  // The user's own javax.comm.properties, from long ago: it must stay.
  const std::wstring usersProperties = chosen.home() + L"\\lib\\javax.comm.properties";
  WriteFileBytes(usersProperties, "driver=com.sun.comm.Win32Driver\r\n# the user's own\r\n");
  SetLastWriteTime(usersProperties, FILETIME{0x5E0B4000, 0x01C5E0A2});  // autumn 2005

  const FolderSnapshot oldBefore = SnapshotOf(old.home());
  const FolderSnapshot chosenBefore = SnapshotOf(chosen.home());
  const FolderSnapshot newerBefore = SnapshotOf(newer.home());

  // No java.exe next to the launcher: only a runtime's own can start.
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  std::vector<std::wstring> shown = WindowClassesShownUntilExit(launcher, kRunTimeout);
  const std::optional<DWORD> exitCode = launcher.WaitForExit(0);
  ASSERT_TRUE(exitCode) << "the launcher does not end; it showed " << testing::PrintToString(shown);
  EXPECT_EQ(*exitCode, kExitStarted);
  std::erase(shown, std::wstring(kSplashClass));
  EXPECT_TRUE(shown.empty()) << "the launcher showed " << testing::PrintToString(shown);

  const StandInRecord java = ExpectOneJavaStarted(launcher, layout, chosen.java(), chosen.java());
  EXPECT_TRUE(records.Running(java.pid)) << "Java ended with the launcher";
  // The ten seconds count from the start of Java, whose own start lags the
  // launcher's call by the time Wine takes to load it.
  const Tick javaToEnd = launcher.exitedAt() - java.startedAt;
  EXPECT_GE(javaToEnd, 8500U - EmulationLag() / 2);
  EXPECT_LE(javaToEnd, 11500U + EmulationLag() / 2);

  // The three missing files, byte for byte from the support folder; the
  // present one untouched; nothing else added, left behind or changed.
  FolderSnapshot chosenAfter = SnapshotOf(chosen.home());
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    if (file.name == L"javax.comm.properties") {
      continue;
    }
    SCOPED_TRACE(testing::PrintToString(std::wstring(file.name)));
    const auto copied = chosenAfter.find(expected::PathInRuntime(file));
    ASSERT_NE(copied, chosenAfter.end()) << "not copied";
    EXPECT_TRUE(copied->second.bytes == SupportFolderContent(file.name))
        << "the copy differs from its source";
    EXPECT_TRUE(ReadFileBytes(expected::PathInSupportFolder(file)) ==
                SupportFolderContent(file.name))
        << "the source changed";
    chosenAfter.erase(copied);
  }
  EXPECT_TRUE(chosenAfter == chosenBefore)
      << "the chosen runtime holds other changes than the three copies";
  EXPECT_TRUE(SnapshotOf(old.home()) == oldBefore) << "runtime 1.4.2_19 was changed";
  EXPECT_TRUE(SnapshotOf(newer.home()) == newerBefore) << "runtime 1.6.0_45 was changed";

  std::cout << "Java started " << java.startedAt - launcher.startedAt()
            << " ms after the launcher; the launcher ended " << javaToEnd << " ms after Java\n";
}

TEST_F(DiscoveryTest, AJavaHomeWithBlanksStartsItsOwnJavaAndNotAProgramPlantedOnTheWay) {
  // Declared in this order so that the planted program and the stand-ins
  // are stopped before the folders go.
  const OwnedFolder vendor(L"C:\\Program Files\\tq-e2e jre");
  const PlantedProgram decoy(L"C:\\Program.exe", programs.standInJava, records);
  const JavaRuntimeFolder runtime(vendor.path() + L"\\jre6", programs.standInJava,
                                  SupportFiles::kPresent);
  RegisterJavaRuntime(registry, L"1.6.0_45", runtime.home());
  {
    // Without quotes, the system's search on this machine really lands on
    // the planted program; otherwise this test would prove nothing.
    StandInRecords unquoted(scratch.path() + L"\\unquoted");
    const WatchedProcess control =
        StartCommandLine(runtime.java() + L" -version", unquoted.Environment());
    const std::vector<StandInRecord> ran = unquoted.WaitFor(1, kRecordTimeout);
    ASSERT_EQ(ran.size(), 1U) << "nothing ran for the unquoted path";
    ASSERT_EQ(ran.front().program, decoy.path()) << "the unquoted path does not reach the decoy";
  }
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  const StandInRecord java =
      ExpectOneJavaStarted(launcher, layout, runtime.java(), L"\"" + runtime.java() + L"\"");
  EXPECT_NE(java.program, decoy.path());
  EXPECT_TRUE(java.commandLine.starts_with(
      L"\"C:\\Program Files\\tq-e2e jre\\jre6\\bin\\java.exe\" -classpath \""));
  EXPECT_EQ(java.arguments.front(), L"C:\\Program Files\\tq-e2e jre\\jre6\\bin\\java.exe");
  EXPECT_EQ(ChildProcesses(launcher.pid()), std::vector<DWORD>{java.pid});
}

TEST_F(DiscoveryTest, UnderACommaDecimalFormatVersionOnePointFourIsStillTooOld) {
  ASSERT_NO_FATAL_FAILURE(AssertScratchWithoutBlanks());
  const std::wstring probe = NumberProbeProgram();
  const std::optional<double> before = UserFormatNumber(probe, L"1.4");
  ASSERT_TRUE(before.has_value());
  ASSERT_DOUBLE_EQ(*before, 1.4) << "this machine's own format does not read 1.4 as one point four";

  // A German user format, as the regional settings write it.
  const std::wstring international = L"Control Panel\\International";
  registry.SetString(HKEY_CURRENT_USER, international, L"sDecimal", L",");
  registry.SetString(HKEY_CURRENT_USER, international, L"sThousand", L".");
  // Proof that a new process reads with that format, as the launcher will:
  // the period now groups digits.
  const std::optional<double> grouped = UserFormatNumber(probe, L"1.4");
  ASSERT_TRUE(grouped.has_value());
  ASSERT_DOUBLE_EQ(*grouped, 14.0) << "the German format did not take effect";

  AddRuntime(L"1.4");
  const JavaRuntimeFolder newer = AddRuntime(L"1.6");
  ASSERT_EQ(JavaRuntimeSubkeys(), (std::vector<std::wstring>{L"1.4", L"1.6"}));
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ExpectOneJavaStarted(launcher, layout, newer.java(), newer.java());
  EXPECT_TRUE(VisibleWindows(launcher.pid()).empty()) << "the launcher showed a window";
}

}  // namespace
}  // namespace tq::e2e
