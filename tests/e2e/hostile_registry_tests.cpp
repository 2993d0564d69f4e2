// The real launcher on a crowded or oversized registry: ten thousand
// version keys before the one that passes, a Java home of a megabyte, and
// key and value names at their longest.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "launcher/startup_sequence.h"
#include "platform/win32/unique_any.h"
#include "tests/e2e/hostile_support.h"
#include "tests/e2e/hostile_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/stand_in_record.h"
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
  const LauncherLayout layout = LayOutWithJava();
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
  UniqueHkey probe;
  const std::string ansiKey(winnerKey.begin(), winnerKey.end());
  const LSTATUS opens = RegOpenKeyExA(HKEY_LOCAL_MACHINE, ansiKey.c_str(), 0,
                                      KEY_READ | KEY_WOW64_32KEY, probe.put());
  std::cout << "RegOpenKeyExA of the " << ansiKey.size() << "-character key path gives " << opens
            << "\n";

  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  ExpectOneJavaThenTheEnd(launcher, layout,
                          opens == ERROR_SUCCESS ? home + L"\\bin\\java.exe" : L"java");
}

}  // namespace
}  // namespace tq::e2e
