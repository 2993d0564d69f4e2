// The real launcher under the double-byte code page 932: a runtime path in
// Japanese letters, and a version name too long for the ANSI buffer.

#include <string>

#include "launcher/startup_sequence.h"
#include "tests/e2e/hostile_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

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
  const LauncherLayout layout = LayOutWithJava();
  WatchedProcess launcher = StartLauncher(layout, records.Environment());
  EXPECT_EQ(RunToEnd(launcher, kExitNoJavaRuntime), Texts{text::kNotAvailable});
  ExpectNothingStartedBy(launcher);
}

}  // namespace
}  // namespace tq::e2e
