// The launcher's message boxes on the way to a Java runtime: no Java at
// all, none new enough, a search or a copy that fails. Each box holds the
// launcher up until OK is pressed; after it the launcher ends, or starts
// Java all the same.

#include <string>
#include <vector>

#include "tests/e2e/discovery_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/registry_scope.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

TEST_F(DiscoveryTest, WithoutTheJavaKeyTheNotInstalledBoxEndsTheLauncherWithoutLaunch) {
  ASSERT_FALSE(registry.Exists(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey));
  // A java the bare command would find, to show that none is started.
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(launcher, {text::kNotInstalled}));
  ExpectEndedWithoutLaunchAfterOk(launcher);
}

TEST_F(DiscoveryTest,
       OnlyRuntimesBelowOnePointFiveForThirtyTwoBitProgramsGiveNotAvailableNoLaunch) {
  AddRuntime(L"1.4");
  AddRuntime(L"1.4.2_19");
  // A newer runtime registered for 64-bit programs only does not count: only
  // a 32-bit runtime can load the 32-bit serial-port DLL, so the launcher
  // reads the 32-bit registry view, whether it is built for 32 or 64 bits.
  RegistryScope wide(KEY_WOW64_64KEY);
  wide.RemoveTree(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey);
  const JavaRuntimeFolder wideRuntime(scratch.path() + L"\\Java\\jre-x64", programs.standInJava,
                                      SupportFiles::kPresent);
  RegisterJavaRuntime(wide, L"1.6.0_45", wideRuntime.home());
  ASSERT_EQ(JavaRuntimeSubkeys(), (std::vector<std::wstring>{L"1.4", L"1.4.2_19"}))
      << "the 32-bit view shows the 64-bit view's runtime: this machine has only one view";
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(launcher, {text::kNotAvailable}));
  ExpectEndedWithoutLaunchAfterOk(launcher);
}

TEST_F(DiscoveryTest, AVersionKeyBeginningWithALetterEndsTheSearchAndJavaIsStartedBare) {
  // The registry keeps subkeys sorted, so a name beginning with a letter
  // comes after every one beginning with a digit: it is reached here
  // after 1.4.2_19, which is too old, and before any runtime that passes.
  AddRuntime(L"1.4.2_19");
  AddRuntime(L"jre1.6.0_45");
  ASSERT_EQ(JavaRuntimeSubkeys(), (std::vector<std::wstring>{L"1.4.2_19", L"jre1.6.0_45"}));
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(launcher, {L"Type mismatch", text::kSearchFailed}));
  ExpectBareJavaStarted(launcher, layout);
  EXPECT_TRUE(launcher.Running()) << "the launcher did not wait after the start";
}

TEST_F(DiscoveryTest, TheChosenRuntimeWithoutJavaHomeIsAnUnsupportedValueAndJavaIsStartedBare) {
  AddRuntime(L"1.4.2_19");
  // An entry an uninstaller left half-way: the key and another value only.
  registry.SetString(HKEY_LOCAL_MACHINE, std::wstring(expected::kJavaRuntimeKey) + L"\\1.6.0_45",
                     L"RuntimeLib", L"C:\\gone\\jre6\\bin\\client\\jvm.dll");
  ASSERT_EQ(JavaRuntimeSubkeys(), (std::vector<std::wstring>{L"1.4.2_19", L"1.6.0_45"}));
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  ASSERT_NO_FATAL_FAILURE(
      AnswerMessageBoxes(launcher, {L"Unsupported value type", text::kSearchFailed}));
  ExpectBareJavaStarted(launcher, layout);
}

TEST_F(DiscoveryTest, ACopyFailureShowsItsTwoBoxesAndTheChosenRuntimeIsStartedAllTheSame) {
  ASSERT_NO_FATAL_FAILURE(AssertScratchWithoutBlanks());
  const SupportFolder support(SupportFolder::State::kAbsent);
  const JavaRuntimeFolder runtime = AddRuntime(L"1.6.0_45", SupportFiles::kMissing);
  const FolderSnapshot before = SnapshotOf(runtime.home());
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  // "File not found" is the description of error 53; the search's own
  // message does not follow.
  ASSERT_NO_FATAL_FAILURE(AnswerMessageBoxes(launcher, {L"File not found", text::kCopyFailed}));
  ExpectOneJavaStarted(launcher, layout, runtime.java(), runtime.java());
  EXPECT_TRUE(VisibleWindows(launcher.pid()).empty()) << "a window followed the launch";
  EXPECT_TRUE(SnapshotOf(runtime.home()) == before) << "the failed installation left something";
}

}  // namespace
}  // namespace tq::e2e
