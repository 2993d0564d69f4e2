#include "platform/win32/win32_process_services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/error.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kProbeVariable[] = L"TQ_LAUNCHER_FOLDER_PROBE";

std::wstring OwnPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// Runs a copy of this test program as `exe` so that it reports its own
// launcher folder (see the probe below), and returns what it reported.
std::wstring LauncherFolderOfCopyAt(const fs::path& exe) {
  // The Win32 calls, not std::filesystem: it cannot handle a drive root.
  if (GetFileAttributesW(exe.parent_path().c_str()) == INVALID_FILE_ATTRIBUTES) {
    fs::create_directories(exe.parent_path());
  }
  EXPECT_TRUE(CopyFileW(OwnPath().c_str(), exe.c_str(), FALSE)) << GetLastError();
  const fs::path report = fs::temp_directory_path() / L"tq-launcher-folder.txt";
  fs::remove(report);

  SetEnvironmentVariableW(kProbeVariable, report.c_str());
  std::wstring line = L"\"" + exe.wstring() + L"\" --gtest_filter=LauncherFolderProbe.*";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  SetEnvironmentVariableW(kProbeVariable, nullptr);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) {
    return {};
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  EXPECT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);

  std::wifstream in(report);
  std::wstring folder;
  std::getline(in, folder);
  return folder;
}

// Not a test of its own: the copies that LauncherFolderOfCopyAt starts run
// only this, and write their launcher folder to the file it names.
TEST(LauncherFolderProbe, Report) {
  wchar_t report[MAX_PATH] = {};
  if (GetEnvironmentVariableW(kProbeVariable, report, MAX_PATH) == 0) {
    GTEST_SKIP() << "runs only as a copy started by the launcher folder tests";
  }
  std::wofstream(report) << Win32ProcessServices().LauncherFolder() << L"\n";
}

TEST(Win32ProcessServices, LauncherFolderIsTheExecutablesFolderWithoutSeparator) {
  const fs::path base = fs::temp_directory_path() / L"tq launcher \u00e9t\u00e9 \u00dfx";
  const fs::path folder = base / L"Tovane Quillon";
  // Non-ASCII letters that the system code page may not hold must survive too.
  EXPECT_EQ(LauncherFolderOfCopyAt(folder / L"TovaneQuillon.exe"), folder.wstring());
  fs::remove_all(base);
}

TEST(Win32ProcessServices, LauncherFolderAtADriveRootKeepsItsBackslash) {
  // The Wine test session maps drive T: to a folder of its own.
  const std::wstring root = L"T:\\";
  ASSERT_NE(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(LauncherFolderOfCopyAt(root + L"TovaneQuillon.exe"), root);
  DeleteFileW((root + L"TovaneQuillon.exe").c_str());
}

TEST(Win32ProcessServices, FolderOfPath) {
  EXPECT_EQ(FolderOfPath(L"C:\\a b\\x.exe"), L"C:\\a b");
  EXPECT_EQ(FolderOfPath(L"C:\\x.exe"), L"C:\\");
  EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\x.exe"), L"\\\\server\\share");
}

TEST(Win32ProcessServices, WorkingDirectoryRoundTrip) {
  Win32ProcessServices process;
  const std::wstring before = process.WorkingDirectory();
  const fs::path other = fs::temp_directory_path() / L"tq wd \u00e4\u00f6";
  fs::create_directories(other);

  process.ChangeWorkingDirectory(other.wstring());
  EXPECT_EQ(fs::path(process.WorkingDirectory()), other);
  process.ChangeWorkingDirectory(before);
  EXPECT_EQ(process.WorkingDirectory(), before);
  fs::remove_all(other);
}

TEST(Win32ProcessServices, ChangingToAMissingFolderRaisesPathNotFound) {
  Win32ProcessServices process;
  const std::wstring before = process.WorkingDirectory();
  try {
    process.ChangeWorkingDirectory(L"C:\\no such folder\\at all");
    FAIL() << "changed into a missing folder";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kPathNotFound);
    EXPECT_EQ(error.description(), L"Path not found");
  }
  EXPECT_EQ(process.WorkingDirectory(), before);
}

TEST(Win32ProcessServices, StartingAMissingProgramRaisesFileNotFound) {
  try {
    Win32ProcessServices().StartHidden(L"tq-no-such-program-anywhere -classpath x", {});
    FAIL() << "started a missing program";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kFileNotFound);
    EXPECT_EQ(error.description(), L"File not found");
  }
}

TEST(Win32ProcessServices, StartsTheWholeLineWithoutWaiting) {
  // cmd writes its own command line's tail to a file and then waits on a
  // ping for ten seconds, long after StartHidden has returned.
  const fs::path out = fs::temp_directory_path() / L"tq start out.txt";
  fs::remove(out);
  const std::wstring line =
      L"cmd.exe /c echo started> \"" + out.wstring() + L"\" & ping -n 11 127.0.0.1 >nul";
  // Wine returns once the new process runs: under qemu (TQ_WINDOWS_FLAVOUR
  // "emulated") its start took 2.4 s at load 12.
  const char* flavour = std::getenv("TQ_WINDOWS_FLAVOUR");
  const bool emulated = flavour != nullptr && std::string(flavour) == "emulated";
  const ULONGLONG before = GetTickCount64();
  Win32ProcessServices().StartHidden(line, {});
  EXPECT_LT(GetTickCount64() - before, emulated ? 6000U : 2000U) << "waited for the program";
  // The file exists as soon as cmd opens it, and holds the line a moment
  // later: wait for the whole line.
  std::string text;
  for (int i = 0; i < 100 && text.find('\n') == std::string::npos; ++i) {
    Sleep(100);
    std::ifstream in(out, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  text = text.substr(0, text.find('\n'));
  EXPECT_EQ(text.substr(0, text.find_last_not_of(" \r") + 1), "started");
}

}  // namespace
}  // namespace tq
