#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_user_interface.h"
#include "runtime/mod_main.h"
#include "tests/host/mod_main_stubs.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq {
namespace {

const std::wstring kHome = L"C:\\Program Files\\Java\\jre1.6.0";
const std::wstring kCopyFailed = text::kCopyFailed;

// The four rows as tests/launcher_expectations.h spells them out: the tests
// check the exact paths the procedure produces, not how it composes them.
std::vector<std::wstring> EachRow(std::wstring (*pathOf)(const expected::SupportFile&)) {
  std::vector<std::wstring> paths;
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    paths.push_back(pathOf(file));
  }
  return paths;
}
const std::vector<std::wstring> kTested = EachRow(expected::PathInRuntime);
const std::vector<std::wstring> kSources = EachRow(expected::PathInSupportFolder);

std::wstring Tested(const std::wstring& home, int row) {
  return L"FileExists " + home + kTested[row];
}
std::wstring Copied(const std::wstring& home, int row) {
  return L"CopyFile " + kSources[row] + L" " + home +
         std::wstring(expected::kSupportFiles.at(row).folderInRuntime);
}

class InstallCommSupportTest : public ::testing::Test {
 protected:
  void AddSupportFolder() {
    for (const std::wstring& source : kSources) {
      files.AddFile(source, "new " + std::string(source.begin(), source.end()));
    }
  }
  void AddRuntime(const std::wstring& home, const std::vector<int>& presentRows) {
    files.AddFolder(home + L"\\lib\\ext");
    files.AddFolder(home + L"\\bin");
    for (const int row : presentRows) {
      files.AddFile(home + kTested[row], "old");
    }
  }

  Journal journal;
  FaultPlan faults;
  MemoryFileSystem files{journal, faults};
  MemoryFileSystemFactory factory{files, journal, faults};
  MemoryUserInterface ui{journal};
  NoRegistry registry;
  NoNumbers numbers;
  DecisionLog log;
  ModMain modMain{registry, factory.Bind(), numbers, ui, log};
};

TEST_F(InstallCommSupportTest, AllPresentIsSilentAndCopiesNothing) {
  AddSupportFolder();
  AddRuntime(kHome, {0, 1, 2, 3});

  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {L"CreateFileSystem", Tested(kHome, 0),
                                              Tested(kHome, 1), Tested(kHome, 2), Tested(kHome, 3)};
  EXPECT_EQ(journal.lines, expected);
  for (const std::wstring& tested : kTested) {
    EXPECT_EQ(files.Contents(kHome + tested), "old");
  }
}

TEST_F(InstallCommSupportTest, OnlyTheMissingFileIsCopiedIntoItsFolder) {
  AddSupportFolder();
  AddRuntime(kHome, {0, 2, 3});

  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {L"CreateFileSystem", Tested(kHome, 0),
                                              Tested(kHome, 1),    Copied(kHome, 1),
                                              Tested(kHome, 2),    Tested(kHome, 3)};
  EXPECT_EQ(journal.lines, expected);
  EXPECT_EQ(files.Contents(kHome + kTested[1]), files.Contents(kSources[1]));
  EXPECT_EQ(files.Contents(kHome + kTested[0]), "old");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InstallCommSupportTest, AllMissingAreCopiedOnceAndASecondRunFindsThem) {
  AddSupportFolder();
  AddRuntime(kHome, {});

  modMain.InstallCommSupport(kHome);
  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {
      L"CreateFileSystem", Tested(kHome, 0), Copied(kHome, 0), Tested(kHome, 1), Copied(kHome, 1),
      Tested(kHome, 2),    Copied(kHome, 2), Tested(kHome, 3), Copied(kHome, 3), Tested(kHome, 0),
      Tested(kHome, 1),    Tested(kHome, 2), Tested(kHome, 3)};
  EXPECT_EQ(journal.lines, expected);
  for (std::size_t row = 0; row < kSources.size(); ++row) {
    EXPECT_EQ(files.Contents(kHome + kTested[row]), files.Contents(kSources[row])) << row;
  }
  EXPECT_EQ(factory.calls, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InstallCommSupportTest, AMissingSupportFolderStopsAtTheFirstCopy) {
  AddRuntime(kHome, {});

  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {L"CreateFileSystem", Tested(kHome, 0),
                                              Copied(kHome, 0), L"ShowMessage File not found",
                                              L"ShowMessage " + kCopyFailed};
  EXPECT_EQ(journal.lines, expected);
  EXPECT_TRUE(files.FilePaths().empty());
}

TEST_F(InstallCommSupportTest, AMissingSupportFolderIsNotNoticedWhenAllArePresent) {
  AddRuntime(kHome, {0, 1, 2, 3});
  modMain.InstallCommSupport(kHome);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InstallCommSupportTest, ARuntimeWithoutLibExtFailsAtRowOne) {
  AddSupportFolder();
  files.AddFolder(kHome + L"\\lib");
  files.AddFolder(kHome + L"\\bin");

  modMain.InstallCommSupport(kHome);

  EXPECT_EQ(ui.messages, (std::vector<std::wstring>{L"Path not found", kCopyFailed}));
  EXPECT_EQ(journal.lines.at(2), Copied(kHome, 0));
  EXPECT_FALSE(files.HasFolder(kHome + L"\\lib\\ext"));
  EXPECT_FALSE(files.Contents(kHome + kTested[1]).has_value());
}

TEST_F(InstallCommSupportTest, AFailureInALaterRowKeepsTheEarlierCopies) {
  AddSupportFolder();
  AddRuntime(kHome, {});
  files.RefuseWrites(kHome + L"\\lib");

  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {L"CreateFileSystem",
                                              Tested(kHome, 0),
                                              Copied(kHome, 0),
                                              Tested(kHome, 1),
                                              Copied(kHome, 1),
                                              L"ShowMessage Permission denied",
                                              L"ShowMessage " + kCopyFailed};
  EXPECT_EQ(journal.lines, expected);
  EXPECT_EQ(files.Contents(kHome + kTested[0]), files.Contents(kSources[0]));
}

TEST_F(InstallCommSupportTest, AFailedExistenceTestEndsTheRowsToo) {
  AddSupportFolder();
  AddRuntime(kHome, {});
  faults.FailCall(Operation::kFileExists, 2, Error(52, L"Bad file name or number"));

  modMain.InstallCommSupport(kHome);

  EXPECT_EQ(ui.messages, (std::vector<std::wstring>{L"Bad file name or number", kCopyFailed}));
  EXPECT_EQ(journal.lines.size(), 6U);
}

TEST_F(InstallCommSupportTest, AHomeEndingInABackslashIsJoinedAsItStands) {
  const std::wstring home = kHome + L"\\";
  AddSupportFolder();
  AddRuntime(kHome, {0});

  modMain.InstallCommSupport(home);

  // Each row's path follows the home's own closing backslash: two in a row.
  EXPECT_EQ(journal.lines.at(1), Tested(home, 0));
  EXPECT_EQ(journal.lines.at(3), Copied(home, 1));
  // Windows reads the doubled backslash as one: the copies land in place.
  EXPECT_EQ(files.Contents(kHome + kTested[2]), files.Contents(kSources[2]));
  EXPECT_EQ(files.Contents(kHome + kTested[0]), "old");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InstallCommSupportTest, AFailedCreationIsReportedAndTriedAgainAtTheNextCall) {
  AddSupportFolder();
  AddRuntime(kHome, {});
  faults.FailCall(Operation::kCreateFileSystem, 1,
                  Error(429, L"ActiveX component can't create object"));

  modMain.InstallCommSupport(kHome);

  const std::vector<std::wstring> expected = {L"CreateFileSystem",
                                              L"ShowMessage ActiveX component can't create object",
                                              L"ShowMessage " + kCopyFailed};
  EXPECT_EQ(journal.lines, expected);

  ui.messages.clear();
  modMain.InstallCommSupport(kHome);
  modMain.InstallCommSupport(kHome);
  EXPECT_EQ(factory.calls, 2);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(files.Contents(kHome + kTested[3]), files.Contents(kSources[3]));
}

TEST_F(InstallCommSupportTest, RunningOutOfMemoryIsReportedLikeAnyFailure) {
  ModMain starved{registry, []() -> std::unique_ptr<FileSystem> { throw std::bad_alloc(); },
                  numbers, ui, log};
  starved.InstallCommSupport(kHome);
  EXPECT_EQ(ui.messages, (std::vector<std::wstring>{L"Out of memory", kCopyFailed}));
}

}  // namespace
}  // namespace tq
