#pragma once

// The ground of the tests of the launcher choosing a Java runtime from the
// registry: answering its message boxes while checking that each one holds
// the launcher up, and checking the one Java it starts.

#include <optional>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/java_runtimes_test.h"
#include "tests/e2e/stand_in_record.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {

class DiscoveryTest : public JavaRuntimesTest {
 protected:
  static constexpr unsigned kBoxTimeout = 8000;
  static constexpr unsigned kRecordTimeout = 8000;
  static constexpr unsigned kRunTimeout = 25000;
  // How long a box is left unanswered to see that nothing goes on meanwhile.
  static constexpr unsigned kUnansweredMilliseconds = 2000;

  // Answers the launcher's message boxes one after the other, each after
  // checking its look and that the launcher waits for it: it stays alone on
  // the screen, the launcher goes on running, and nothing is started.
  void AnswerMessageBoxes(const WatchedProcess& launcher, const std::vector<std::wstring>& texts) {
    HWND previous = nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      SCOPED_TRACE("message box " + std::to_string(i + 1));
      HWND box = nullptr;
      WaitUntil([&] { return (box = NextMessageBox(launcher.pid(), previous)) != nullptr; },
                kBoxTimeout);
      ASSERT_NE(box, nullptr) << "the box did not come";
      if (i == 0) {
        EXPECT_GE(Now() - launcher.startedAt(), 1500U) << "a box came before the splash tick";
      }
      EXPECT_EQ(FindVisibleWindow(launcher.pid(), kSplashClass), nullptr)
          << "the splash is still there behind the box";

      const MessageBoxView view = ReadMessageBox(box);
      EXPECT_EQ(view.text, texts[i]);
      EXPECT_EQ(view.title, text::kLauncherTitle);
      ASSERT_EQ(view.buttons.size(), 1U);
      EXPECT_EQ(view.buttons[0].id, IDOK);
      EXPECT_EQ(view.buttons[0].text, L"OK");
      EXPECT_FALSE(view.hasIcon);

      const bool wentOn = WaitUntil(
          [&] {
            return !launcher.Running() || !IsWindow(box) ||
                   VisibleWindows(launcher.pid()).size() != 1 || !records.Read().empty() ||
                   !ChildProcesses(launcher.pid()).empty();
          },
          kUnansweredMilliseconds, 100);
      ASSERT_FALSE(wentOn) << "the launcher went on while the box waited for OK";

      answeredAt_ = Now();
      ASSERT_TRUE(PressButton(box, IDOK));
      previous = box;
    }
  }

  // Discovery ended the process: right after OK, with its exit code, and
  // with nothing started.
  void ExpectEndedWithoutLaunchAfterOk(WatchedProcess& launcher) {
    const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
    ASSERT_TRUE(exitCode) << "the launcher runs on after OK";
    EXPECT_LE(launcher.exitedAt() - answeredAt_, 1000U) << "the launcher waited after OK";
    EXPECT_EQ(*exitCode, kExitNoJavaRuntime);
    ExpectNothingStartedBy(launcher);
  }

  // The one Java the launcher started, the program at `javaPath`, checked
  // for what every start must give it; `program` heads its command line as
  // the launcher writes it.
  StandInRecord ExpectOneJavaStarted(const WatchedProcess& launcher, const LauncherLayout& layout,
                                     const std::wstring& javaPath, const std::wstring& program) {
    const std::vector<StandInRecord> started = records.WaitFor(1, kRecordTimeout);
    if (started.empty()) {
      ADD_FAILURE() << "Java was not started";
      return {};
    }
    // Another stand-in (a runtime not chosen, a planted program) would need
    // a moment to show.
    Sleep(500);
    EXPECT_EQ(records.Read().size(), 1U) << "more than one program was started";
    const StandInRecord& java = started.front();
    EXPECT_EQ(java.program, javaPath);
    ExpectStartedByTheLauncher(java, launcher, layout, program);
    return java;
  }

  // The launch with the bare "java", which finds the stand-in the layout
  // put next to the launcher.
  void ExpectBareJavaStarted(const WatchedProcess& launcher, const LauncherLayout& layout) {
    const StandInRecord java = ExpectOneJavaStarted(launcher, layout, layout.java(), L"java");
    EXPECT_TRUE(java.commandLine.starts_with(L"java -classpath \""));
  }

  // The scratch folder holds the runtimes; a blank in it would change how
  // the launcher writes their java.exe.
  void AssertScratchWithoutBlanks() const {
    ASSERT_EQ(scratch.path().find_first_of(L" \t"), std::wstring::npos)
        << "the temporary folder has a blank; these runtimes' paths need none";
  }

  Tick answeredAt_ = 0;
};

}  // namespace tq::e2e
