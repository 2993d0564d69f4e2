#include "platform/memory/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/host/file_system_contract.h"

namespace tq {
namespace {

class MemoryWorld {
 public:
  std::wstring Root() { return L"C:\\Temp\\tq fs \u00e4\u00df"; }
  FileSystem& Files() { return files_; }
  void AddFolder(const std::wstring& path) { files_.AddFolder(path); }
  void AddFile(const std::wstring& path, const std::string& contents, bool readOnly) {
    files_.AddFile(path, contents, readOnly);
  }
  std::optional<std::string> Contents(const std::wstring& path) { return files_.Contents(path); }
  bool IsFolder(const std::wstring& path) { return files_.HasFolder(path); }
  std::vector<std::wstring> FileNames(std::wstring folder) {
    while (folder.back() == L'\\') {
      folder.pop_back();
    }
    std::vector<std::wstring> names;
    for (const std::wstring& path : files_.FilePaths()) {
      const std::size_t slash = path.find_last_of(L'\\');
      if (path.substr(0, slash) == folder) {
        names.push_back(path.substr(slash + 1));
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  Journal journal_;
  FaultPlan faults_;
  MemoryFileSystem files_{journal_, faults_};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, FileSystemContract, MemoryWorld);

TEST(MemoryFileSystemTest, AFolderThatRefusesWritesRefusesTheCopy) {
  Journal journal;
  FaultPlan faults;
  MemoryFileSystem files(journal, faults);
  files.AddFile(L"C:\\s\\a.jar", "x");
  files.RefuseWrites(L"C:\\jre\\lib");

  ExpectError([&] { files.CopyFile(L"C:\\s\\a.jar", L"C:\\jre\\lib\\"); }, 70,
              L"Permission denied");
  EXPECT_FALSE(files.FileExists(L"C:\\jre\\lib\\a.jar"));
  EXPECT_EQ(journal.lines, (std::vector<std::wstring>{L"CopyFile C:\\s\\a.jar C:\\jre\\lib\\",
                                                      L"FileExists C:\\jre\\lib\\a.jar"}));
}

TEST(MemoryFileSystemTest, LinksLeadToTheirTargetsAndARefusedReadRaises) {
  Journal journal;
  FaultPlan faults;
  MemoryFileSystem files(journal, faults);
  const std::wstring java = L"C:\\Program Files\\Java\\jre1.8.0_391\\bin\\java.exe";
  files.AddFile(java, "MZ\x90");
  files.AddLink(L"C:\\ProgramData\\Oracle\\Java\\javapath\\java.exe", java);
  files.AddLink(L"C:\\jre", L"C:\\Program Files\\Java\\jre1.8.0_391");

  for (const std::wstring link :
       {L"C:\\ProgramData\\Oracle\\Java\\javapath\\java.exe", L"c:\\JRE\\bin\\java.exe"}) {
    SCOPED_TRACE(testing::PrintToString(link));
    EXPECT_EQ(files.FinalPath(link), java);
    EXPECT_TRUE(files.FileExists(link));
    EXPECT_EQ(files.ReadBytes(link, 2), "MZ");
  }
  EXPECT_EQ(files.Subfolders(L"C:\\jre"), std::vector<std::wstring>{L"bin"});

  files.RefuseReads(java);
  ExpectError([&] { files.ReadBytes(L"C:\\jre\\bin\\java.exe", 2); }, 70, L"Permission denied");
}

}  // namespace
}  // namespace tq
