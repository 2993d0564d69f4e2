// The harness's own checks that could otherwise pass by never failing: the
// reading of another process's message box (icon, buttons, text), the
// registry scope's undo, and the reading of stand-in records while they are
// being written.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/message_box_sample.h"
#include "tests/e2e/registry_scope.h"
#include "tests/e2e/stand_in_records.h"
#include "tests/e2e/window_watch.h"

namespace tq::e2e {
namespace {

class MessageBoxReadingTest : public ::testing::Test {
 protected:
  // Starts the sample with a box of `kind` and waits for the box.
  HWND ShowSample(const wchar_t* kind) {
    sample_ = StartProgram(programs_.messageBoxSample, kind, {});
    return WaitForVisibleWindow(sample_->pid(), kMessageBoxClass, 5000);
  }

  // The id of the button that ended the sample, as its exit code says.
  DWORD Answer() { return sample_->WaitForExit(5000).value_or(0); }

 private:
  const Programs programs_ = Programs::FromEnvironment();
  std::optional<WatchedProcess> sample_;
};

TEST_F(MessageBoxReadingTest, ReadsTitleTextAndTheOkButtonOfABoxWithoutIcon) {
  HWND box = ShowSample(kSamplePlain);
  ASSERT_NE(box, nullptr);
  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(view.title, kSampleTitle);
  EXPECT_EQ(view.text, kSampleText);
  ASSERT_EQ(view.buttons.size(), 1U);
  EXPECT_EQ(view.buttons[0].id, IDOK);
  EXPECT_EQ(view.buttons[0].text, L"OK");
  EXPECT_FALSE(view.hasIcon);
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(Answer(), static_cast<DWORD>(IDOK));
}

TEST_F(MessageBoxReadingTest, SeesTheIconOfAnErrorBox) {
  HWND box = ShowSample(kSampleError);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(ReadMessageBox(box).hasIcon);
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(Answer(), static_cast<DWORD>(IDOK));
}

TEST_F(MessageBoxReadingTest, SeesEveryButtonOfAYesNoBox) {
  HWND box = ShowSample(kSampleYesNo);
  ASSERT_NE(box, nullptr);
  const MessageBoxView view = ReadMessageBox(box);
  ASSERT_EQ(view.buttons.size(), 2U);
  EXPECT_EQ(view.buttons[0].id, IDYES);
  EXPECT_EQ(view.buttons[1].id, IDNO);
  ASSERT_TRUE(PressButton(box, IDNO));
  EXPECT_EQ(Answer(), static_cast<DWORD>(IDNO));
}

constexpr wchar_t kScopeTestKey[] = L"Software\\TovaneQuillon e2e\\scope";

TEST(RegistryScopeTest, DeletesTheKeysItMadeAndRestoresTheValuesItChanged) {
  RegistryScope outer;
  outer.RemoveTree(HKEY_CURRENT_USER, L"Software\\TovaneQuillon e2e");
  outer.SetString(HKEY_CURRENT_USER, kScopeTestKey, L"kept", L"before");
  {
    RegistryScope inner;
    inner.SetDword(HKEY_CURRENT_USER, kScopeTestKey, L"kept", 7);
    inner.SetString(HKEY_CURRENT_USER, kScopeTestKey, L"added", L"x");
    inner.SetBinary(HKEY_CURRENT_USER, std::wstring(kScopeTestKey) + L"\\deeper\\still", L"b",
                    {1, 2, 3});
  }
  EXPECT_FALSE(outer.Exists(HKEY_CURRENT_USER, std::wstring(kScopeTestKey) + L"\\deeper"));
  wchar_t text[16] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kScopeTestKey, L"kept", RRF_RT_ANY, &type, text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(text, L"before");
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kScopeTestKey, L"added", RRF_RT_ANY, nullptr, nullptr,
                         nullptr),
            ERROR_FILE_NOT_FOUND);

  outer.Restore();
  EXPECT_FALSE(outer.Exists(HKEY_CURRENT_USER, L"Software\\TovaneQuillon e2e"));
}

// Records are read while stand-ins are still writing theirs: a record that
// has just appeared must read whole, never as a broken one.
TEST(StandInRecordsTest, ReadsEveryRecordWhileTheStandInsAreStillWritingThem) {
  const Programs programs = Programs::FromEnvironment();
  const ScratchFolder scratch;
  StandInRecords records(scratch.path() + L"\\records");
  constexpr std::size_t kStandIns = 8;
  std::vector<WatchedProcess> standIns;
  for (std::size_t i = 0; i < kStandIns; ++i) {
    standIns.push_back(StartProgram(programs.standInJava, L"-run " + std::to_wstring(i),
                                    scratch.path(), records.Environment()));
  }
  std::vector<StandInRecord> read;
  ASSERT_TRUE(WaitUntil(
      [&] {
        read = records.Read();
        return read.size() == kStandIns;
      },
      30000, 0))
      << read.size() << " of " << kStandIns << " records";
  for (const StandInRecord& record : read) {
    EXPECT_TRUE(records.Running(record.pid));
    ASSERT_EQ(record.arguments.size(), 3U);
    EXPECT_EQ(record.arguments[1], L"-run");
  }
}

// Under tests/e2e/run_as_windows_xp.sh, which makes Wine pretend to be
// another Windows for a run: this process, and the launchers it starts in the
// same Wine, see the version asked for, or the run proves nothing.
TEST(WindowsVersionTest, IsTheOneTheRunAsksFor) {
  const char* asked = std::getenv("TQ_E2E_WINDOWS_VERSION");
  if (asked == nullptr) {
    GTEST_SKIP() << "no Windows version asked for";
  }
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExW(&version));
  EXPECT_EQ(std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion),
            asked);
}

}  // namespace
}  // namespace tq::e2e
