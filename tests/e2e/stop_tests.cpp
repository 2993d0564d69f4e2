// The ways the launcher ends without the full run: the user closes the
// splash, or the Java program cannot be found.

#include "launcher/startup_sequence.h"
#include "tests/e2e/launcher_test.h"
#include "tests/e2e/window_watch.h"

namespace tq::e2e {
namespace {

class StopTest : public LauncherTest {};

TEST_F(StopTest, ClosingTheSplashEarlyEndsTheLauncherWithoutMessageAndStartsNothing) {
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  HWND splash = WaitForVisibleWindow(launcher.pid(), kSplashClass, 1500);
  ASSERT_NE(splash, nullptr) << "no splash window to close within 1.5 s";
  const Tick closedAt = Now();
  PostMessageW(splash, WM_CLOSE, 0, 0);

  std::vector<std::wstring> shown = WindowClassesShownUntilExit(launcher, 5000);
  ASSERT_TRUE(launcher.WaitForExit(0)) << "the launcher runs on after its splash was closed";
  EXPECT_LE(launcher.exitedAt() - closedAt, 1000U + EmulationLag() / 2);
  std::erase(shown, std::wstring(kSplashClass));
  EXPECT_TRUE(shown.empty()) << "the launcher showed " << testing::PrintToString(shown);
  ExpectNothingStartedBy(launcher);
}

TEST_F(StopTest, WithoutJavaOneErrorBoxWaitsForOkThenTheLauncherEndsAtOnce) {
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  ASSERT_EQ(FindJavaOnSearchPath(layout.folder()), L"")
      << "this Wine prefix has a java.exe on the search path; the test needs none";
  WatchedProcess launcher = StartLauncher(layout, records.Environment());

  HWND box = WaitForVisibleWindow(launcher.pid(), kMessageBoxClass, 8000);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_GE(Now() - launcher.startedAt(), 1500U) << "the box came before the splash tick";
  EXPECT_EQ(FindVisibleWindow(launcher.pid(), kSplashClass), nullptr)
      << "the splash is still there behind the box";
  EXPECT_EQ(VisibleWindows(launcher.pid()).size(), 1U) << "more than the one box";

  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(view.title, text::kLauncherTitle);
  EXPECT_EQ(view.text, L"Run-time error '53':\r\n\r\nFile not found");
  ASSERT_EQ(view.buttons.size(), 1U);
  EXPECT_EQ(view.buttons[0].id, IDOK);
  EXPECT_EQ(view.buttons[0].text, L"OK");
  EXPECT_FALSE(view.hasIcon);

  // Unanswered, the box stays and the launcher with it.
  EXPECT_FALSE(WaitUntil([&] { return !launcher.Running() || !IsWindow(box); }, 3000, 50))
      << "the box did not wait for OK";

  const Tick pressedAt = Now();
  ASSERT_TRUE(PressButton(box, IDOK));
  const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
  ASSERT_TRUE(exitCode) << "the launcher runs on after OK";
  EXPECT_LE(launcher.exitedAt() - pressedAt, 1000U + EmulationLag() / 2)
      << "the launcher waited after OK";
  EXPECT_EQ(*exitCode, kExitUntrappedError);
  ExpectNothingStartedBy(launcher);
}

}  // namespace
}  // namespace tq::e2e
