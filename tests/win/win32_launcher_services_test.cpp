// The Win32 services behind the settings file, the decision log, Java's
// output and the single-instance guard, against the real system.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/error.h"
#include "common/letter_case.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_launcher_files.h"
#include "platform/win32/win32_process_services.h"
#include "platform/win32/win32_system_information.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Win32LauncherServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / L"tq launcher services \u00fc";
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
};

TEST_F(Win32LauncherServicesTest, SettingsAreReadWholeOrNotAtAllAndTheLogOnlyGrows) {
  Win32LauncherFiles files;
  EXPECT_FALSE(files.ReadFile((folder / L"missing.ini").wstring(), 100));
  EXPECT_FALSE(files.ReadFile((folder / L"no folder" / L"missing.ini").wstring(), 100));
  fs::create_directories(folder / L"a folder.ini");
  EXPECT_THROW(files.ReadFile((folder / L"a folder.ini").wstring(), 100), Error)
      << "a folder named like the file is no missing file";

  const std::string bytes = std::string("\xFF\xFE", 2) + std::string(9000, '\0') + "end";
  std::ofstream(folder / L"s.ini", std::ios::binary) << bytes;
  EXPECT_EQ(files.ReadFile((folder / L"s.ini").wstring(), 10000), bytes);
  EXPECT_EQ(files.ReadFile((folder / L"s.ini").wstring(), 100)->size(), 101U);

  const std::wstring log = (folder / L"x.log").wstring();
  EXPECT_EQ(files.OpenLog(log), 0U);
  files.AppendLog("one\r\n");
  Win32LauncherFiles other;
  EXPECT_EQ(other.OpenLog(log), 5U);
  other.AppendLog("two\r\n");
  files.AppendLog("three\r\n");
  EXPECT_EQ(Contents(log), "one\r\ntwo\r\nthree\r\n") << "every write lands at the end";
  EXPECT_THROW(files.OpenLog((folder / L"no folder" / L"x.log").wstring()), Error);
  EXPECT_FALSE(files.TemporaryFolder().empty());
  EXPECT_EQ(files.FromAnsi("abc"), L"abc");
}

TEST_F(Win32LauncherServicesTest, JavasOutputAndErrorAreAppendedAndItsEndIsSeen) {
  const fs::path output = folder / L"java output.log";
  std::ofstream(output, std::ios::binary) << "before\r\n";
  Win32ProcessServices process;
  const std::wstring line = L"cmd.exe /c \"echo to output& echo to error 1>&2& exit 3\"";
  EXPECT_NE(process.StartHidden(line, {output.wstring(), false}), 0UL);
  const std::optional<ProgramEnd> end = process.WaitForStartedProgram(20000);
  ASSERT_TRUE(end) << "cmd did not end";
  EXPECT_EQ(end->exitCode, 3UL);
  EXPECT_LE(end->waitedMilliseconds, 20000U);
  const std::string text = Contents(output);
  EXPECT_EQ(text.rfind("before\r\n", 0), 0U) << text;
  EXPECT_NE(text.find("to output"), std::string::npos) << text;
  EXPECT_NE(text.find("to error"), std::string::npos) << text;

  process.StartHidden(L"cmd.exe /c ping -n 3 127.0.0.1 >nul", {});
  EXPECT_FALSE(process.WaitForStartedProgram(100)) << "ended at once";
  try {
    process.StartHidden(L"cmd.exe /c exit", {(folder / L"no folder" / L"x.log").wstring(), false});
    FAIL() << "started with an output file that cannot be opened";
  } catch (const Error& error) {
    EXPECT_NE(error.description().find(L"no folder"), std::wstring::npos);
  }

  SetEnvironmentVariableW(L"TQ_EXPANDED", L"C:\\Java\\jre8");
  EXPECT_EQ(process.ExpandEnvironment(L"%TQ_EXPANDED%\\bin %tq_expanded% %TQ_UNDEFINED_NAME%"),
            L"C:\\Java\\jre8\\bin C:\\Java\\jre8 %TQ_UNDEFINED_NAME%");
  const std::wstring big(20000, L'b');
  SetEnvironmentVariableW(L"TQ_EXPANDED", big.c_str());
  EXPECT_EQ(process.ExpandEnvironment(L"<%TQ_EXPANDED%>"), L"<" + big + L">");
  EXPECT_EQ(process.LauncherFolder(), FolderOfPath(process.LauncherProgram()));
  EXPECT_EQ(process.CommandLine(), GetCommandLineW());
}

TEST_F(Win32LauncherServicesTest, TheGuardIsOneAFolderAndLivesOnInTheProgramsThatInheritIt) {
  const std::wstring app = L"C:\\Tovane guard test \u00dcber";
  EXPECT_EQ(InstanceGuardName(app), InstanceGuardName(L"c:\\tovane GUARD test \u00fcBER"));
  EXPECT_NE(InstanceGuardName(app), InstanceGuardName(app + L"2"));
  EXPECT_EQ(InstanceGuardName(app).rfind(L"Global\\", 0), 0U);

  Win32ProcessServices process;
  {
    Win32InstanceGuard first;
    ASSERT_TRUE(first.Claim(app));
    EXPECT_FALSE(Win32InstanceGuard().Claim(app)) << "claimed twice";
    EXPECT_TRUE(Win32InstanceGuard().Claim(app + L"2")) << "another folder is blocked";
    // The program started with inherited handles holds the guard on after
    // its launcher has gone.
    process.StartHidden(L"cmd.exe /c ping -n 4 127.0.0.1 >nul", {{}, true});
  }
  EXPECT_FALSE(Win32InstanceGuard().Claim(app)) << "the guard ended with its launcher";
  ASSERT_TRUE(process.WaitForStartedProgram(20000)) << "the holder did not end";
  EXPECT_TRUE(Win32InstanceGuard().Claim(app)) << "the guard outlived its last holder";
}

TEST(Win32SystemInformationTest, TellsTheWindowsVersionTheBuildAndTheTimeSinceStart) {
  Win32SystemInformation system;
  const std::wstring windows = system.WindowsVersion();
  EXPECT_EQ(windows.rfind(L"Windows ", 0), 0U);
  EXPECT_NE(windows.find(sizeof(void*) == 8 ? L"64-bit build" : L"32-bit launcher"),
            std::wstring::npos);
  // This test program carries no version record.
  EXPECT_EQ(system.LauncherVersion(), L"of unknown version");
  const std::uint64_t since = system.MillisecondsSinceStart();
  EXPECT_GT(since, 0U);
  EXPECT_LT(since, 3600U * 1000U);
  EXPECT_GE(system.Now().year, 2024);
  EXPECT_EQ(system.ProcessId(), GetCurrentProcessId());
  // Only 64-bit Windows has a folder of 32-bit system files, in either build.
  std::array<wchar_t, MAX_PATH> folder{};
  EXPECT_EQ(system.Is64BitWindows(),
            GetSystemWow64DirectoryW(folder.data(), static_cast<UINT>(folder.size())) != 0);
}

}  // namespace
}  // namespace tq
