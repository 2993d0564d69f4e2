#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/memory/memory_user_interface.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"
#include "runtime/mod_main.h"
#include "tests/host/file_system_contract.h"
#include "tests/host/mod_main_stubs.h"
#include "tests/launcher_expectations.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

void WriteTestFile(const std::wstring& path, const std::string& contents, bool readOnly = false) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(fs::path(path), std::ios::binary | std::ios::trunc) << contents;
  if (readOnly) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }
}

std::optional<std::string> ReadTestFile(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Removes a tree that may hold read-only files.
void RemoveTree(const fs::path& root) {
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(root, ignored)) {
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  fs::remove_all(root, ignored);
}

// A folder of its own under the temporary folder, with blanks and letters
// outside ASCII in its name, removed with everything in it at the end.
class TemporaryTree {
 public:
  explicit TemporaryTree(const std::wstring& name)
      : root_(fs::temp_directory_path() /
              (name + L" \u00e4\u00f6 \u65e5 " + std::to_wstring(GetCurrentProcessId()))) {
    RemoveTree(root_);
    fs::create_directories(root_);
  }
  TemporaryTree(const TemporaryTree&) = delete;
  TemporaryTree& operator=(const TemporaryTree&) = delete;
  ~TemporaryTree() { RemoveTree(root_); }

  [[nodiscard]] std::wstring Root() const { return root_.wstring(); }

 private:
  fs::path root_;
};

class Win32World {
 public:
  std::wstring Root() { return tree_.Root(); }
  FileSystem& Files() { return files_; }
  void AddFolder(const std::wstring& path) { fs::create_directories(fs::path(path)); }
  void AddFile(const std::wstring& path, const std::string& contents, bool readOnly) {
    WriteTestFile(path, contents, readOnly);
  }
  std::optional<std::string> Contents(const std::wstring& path) { return ReadTestFile(path); }
  bool IsFolder(const std::wstring& path) { return fs::is_directory(fs::path(path)); }
  std::vector<std::wstring> FileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(fs::path(folder))) {
      if (!entry.is_directory()) {
        names.push_back(entry.path().filename().wstring());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  TemporaryTree tree_{L"tq file system"};
  Win32FileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, Win32World);

class Win32FileSystemTest : public ::testing::Test {
 protected:
  TemporaryTree tree{L"tq copy"};
  const std::wstring root = tree.Root();
  const std::wstring source = root + L"\\support\\Comm.jar";
  Win32FileSystem files;
};

TEST_F(Win32FileSystemTest, AFileInUseIsNotReplacedAndNoPartLeftBehind) {
  WriteTestFile(source, SampleBytes(100000, 3));
  const std::wstring target = root + L"\\lib\\Comm.jar";
  WriteTestFile(target, "in use");
  const UniqueHandle lock(
      CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock.valid());

  ExpectError([&] { files.CopyFile(source, root + L"\\lib\\"); }, 70, L"Permission denied");

  const std::vector<fs::path> left(fs::directory_iterator(fs::path(root + L"\\lib")), {});
  EXPECT_EQ(left, std::vector<fs::path>{fs::path(target)});
}

TEST_F(Win32FileSystemTest, AReadOnlySourceGivesACompleteCopy) {
  WriteTestFile(source, "read-only source", true);
  fs::create_directories(fs::path(root + L"\\lib"));

  files.CopyFile(source, root + L"\\lib\\");

  EXPECT_EQ(ReadTestFile(root + L"\\lib\\Comm.jar"), "read-only source");
  const std::vector<fs::path> left(fs::directory_iterator(fs::path(root + L"\\lib")), {});
  EXPECT_EQ(left.size(), 1U);
}

// Permissions of the host's files mean nothing to a test run as root under
// Wine, and Wine ignores access lists; a folder of a read-only file system
// refuses new files whoever asks. Elsewhere there may be none to find.
std::optional<std::wstring> FolderThatRefusesNewFiles() {
  for (const wchar_t* candidate : {L"Z:\\sys\\kernel\\", L"Z:\\sys\\"}) {
    if (!fs::is_directory(fs::path(candidate))) {
      continue;
    }
    const std::wstring probe = std::wstring(candidate) + L"tq-probe.tmp";
    const UniqueHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.valid() && GetLastError() == ERROR_ACCESS_DENIED) {
      return candidate;
    }
  }
  return std::nullopt;
}

TEST_F(Win32FileSystemTest, AFolderThatRefusesNewFilesRefusesTheCopy) {
  const std::optional<std::wstring> folder = FolderThatRefusesNewFiles();
  if (!folder) {
    GTEST_SKIP() << "no folder here refuses new files";
  }
  WriteTestFile(source, "x");
  ExpectError([&] { files.CopyFile(source, *folder); }, 70, L"Permission denied");
  EXPECT_FALSE(files.FileExists(*folder + L"Comm.jar"));
}

// The whole installation on real files. Its support folder is fixed, so
// the tests lay it out in this machine's C:\tovane\GsmModemJar and remove it
// again; a machine that has the folder already is left alone.
class InstallCommSupportOnDiskTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ownsSupportFolder_ = !fs::exists(fs::path(kTovane));
    if (!ownsSupportFolder_) {
      return;
    }
    unsigned row = 0;
    for (const expected::SupportFile& file : expected::kSupportFiles) {
      WriteTestFile(expected::PathInSupportFolder(file),
                    SampleBytes(20000 + 70000 * row, row + 11));
      ++row;
    }
  }
  static void TearDownTestSuite() {
    if (ownsSupportFolder_) {
      RemoveTree(fs::path(kTovane));
    }
  }
  void SetUp() override {
    if (!ownsSupportFolder_) {
      GTEST_SKIP() << "C:\\tovane exists on this machine";
    }
  }

  void LayOutRuntime() {
    fs::create_directories(fs::path(home + L"\\lib\\ext"));
    fs::create_directories(fs::path(home + L"\\bin"));
  }
  void ExpectCopied(std::size_t row) {
    SCOPED_TRACE(row);
    const expected::SupportFile& file = expected::kSupportFiles.at(row);
    const std::optional<std::string> source = ReadTestFile(expected::PathInSupportFolder(file));
    ASSERT_TRUE(source.has_value());
    ExpectBytes(ReadTestFile(home + expected::PathInRuntime(file)), *source);
  }

  static constexpr wchar_t kTovane[] = L"C:\\tovane";
  static inline bool ownsSupportFolder_ = false;

  TemporaryTree tree{L"tq jre"};
  const std::wstring home = tree.Root() + L"\\Java\\jre 1.6.0 \u00fc";
  Journal journal;
  MemoryUserInterface ui{journal};
  NoRegistry registry;
  NoNumbers numbers;
  DecisionLog log;
  ModMain modMain{registry, CreateWin32FileSystem, numbers, ui, log};
};

TEST_F(InstallCommSupportOnDiskTest, CopiesTheMissingFilesAndLeavesThePresentOnesAlone) {
  LayOutRuntime();
  const std::wstring comm = home + L"\\lib\\ext\\Comm.jar";
  const std::wstring dll = home + L"\\bin\\Win32com.dll";
  WriteTestFile(comm, "a read-only Comm.jar of the user's", true);
  WriteTestFile(dll, "an older Win32com.dll");

  modMain.InstallCommSupport(home);

  EXPECT_TRUE(ui.messages.empty());
  ExpectCopied(1);
  ExpectCopied(3);
  EXPECT_EQ(ReadTestFile(comm), "a read-only Comm.jar of the user's");
  EXPECT_EQ(GetFileAttributesW(comm.c_str()) & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(ReadTestFile(dll), "an older Win32com.dll");
  const std::vector<fs::path> ext(fs::directory_iterator(fs::path(home + L"\\lib\\ext")), {});
  EXPECT_EQ(ext.size(), 2U);
}

TEST_F(InstallCommSupportOnDiskTest, AHomeEndingInABackslashGetsEveryFile) {
  LayOutRuntime();
  modMain.InstallCommSupport(home + L"\\");
  EXPECT_TRUE(ui.messages.empty());
  for (std::size_t row = 0; row < expected::kSupportFiles.size(); ++row) {
    ExpectCopied(row);
  }
}

TEST_F(InstallCommSupportOnDiskTest, ARuntimeWithoutLibExtGetsTwoMessagesAndNoFolder) {
  fs::create_directories(fs::path(home + L"\\lib"));
  fs::create_directories(fs::path(home + L"\\bin"));

  modMain.InstallCommSupport(home);

  EXPECT_EQ(ui.messages,
            (std::vector<std::wstring>{L"Path not found", L"Error While Copying JAR File"}));
  EXPECT_FALSE(fs::exists(fs::path(home + L"\\lib\\ext")));
  EXPECT_FALSE(fs::exists(fs::path(home + L"\\lib\\javax.comm.properties")));
}

}  // namespace
}  // namespace tq
