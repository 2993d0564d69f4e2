#pragma once

// The ground of the tests that run the launcher on machines that make its
// life hard: every message box is answered in order, and the run is judged
// by what the user saw and what was started.

#include <optional>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/hostile_support.h"
#include "tests/e2e/java_runtimes_test.h"
#include "tests/e2e/stand_in_record.h"

namespace tq::e2e {

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

}  // namespace tq::e2e
