#pragma once

// What every FileSystem of the launcher does, checked against a World: a
// FileSystem with the means to lay out files around it. A World provides
//   std::wstring Root();        a folder of its own, without closing backslash
//   FileSystem& Files();
//   void AddFolder(const std::wstring& path);
//   void AddFile(const std::wstring& path, const std::string& contents, bool readOnly);
//   std::optional<std::string> Contents(const std::wstring& path);
//   bool IsFolder(const std::wstring& path);
//   std::vector<std::wstring> FileNames(const std::wstring& folder);  sorted
// Instantiate with INSTANTIATE_TYPED_TEST_SUITE_P(Name, FileSystemContract, World).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "interfaces/file_system.h"

namespace tq {

// Bytes of every value, zero among them, over more than one copy buffer.
inline std::string SampleBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245U + 12345U;
    bytes[i] = static_cast<char>(seed >> 16);
  }
  return bytes;
}

// Compares file contents without printing them all when they differ.
inline void ExpectBytes(const std::optional<std::string>& actual, const std::string& expected) {
  ASSERT_TRUE(actual.has_value()) << "no such file";
  ASSERT_EQ(actual->size(), expected.size());
  const auto [mismatch, ignored] = std::mismatch(actual->begin(), actual->end(), expected.begin());
  EXPECT_TRUE(mismatch == actual->end()) << "differs at byte " << (mismatch - actual->begin());
}

inline void ExpectError(const std::function<void()>& step, int number,
                        const std::wstring& description) {
  try {
    step();
    ADD_FAILURE() << "no error, expected " << number;
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), number);
    EXPECT_EQ(error.description(), description);
  }
}

template <typename World>
class FileSystemContract : public ::testing::Test {
 protected:
  World world;
  FileSystem& files = world.Files();
  const std::wstring root = world.Root();
  const std::string content = SampleBytes(300000, 7);
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, FileExistsOnlyForAFile) {
  const std::wstring jar = this->root + L"\\lib\\Comm.jar";
  this->world.AddFile(jar, "x", false);

  EXPECT_TRUE(this->files.FileExists(jar));
  EXPECT_TRUE(this->files.FileExists(this->root + L"\\LIB\\comm.JAR"));
  EXPECT_TRUE(this->files.FileExists(this->root + L"\\\\lib\\Comm.jar"));
  EXPECT_FALSE(this->files.FileExists(this->root + L"\\lib"));
  EXPECT_FALSE(this->files.FileExists(this->root + L"\\lib\\"));
  EXPECT_FALSE(this->files.FileExists(jar + L"\\"));
  EXPECT_FALSE(this->files.FileExists(this->root + L"\\missing\\Comm.jar"));
  EXPECT_FALSE(this->files.FileExists(jar + L"\\Comm.jar"));
}

TYPED_TEST_P(FileSystemContract, CopyPutsTheWholeFileUnderItsNameInTheFolder) {
  const std::wstring source = this->root + L"\\support files\\Comm.jar";
  this->world.AddFile(source, this->content, false);
  this->world.AddFolder(this->root + L"\\lib\\ext");
  this->world.AddFile(this->root + L"\\lib\\Comm.jar", "older", false);

  this->files.CopyFile(source, this->root + L"\\lib\\ext\\");
  this->files.CopyFile(source, this->root + L"\\\\lib\\");

  ExpectBytes(this->world.Contents(this->root + L"\\lib\\ext\\Comm.jar"), this->content);
  ExpectBytes(this->world.Contents(this->root + L"\\lib\\Comm.jar"), this->content);
  ExpectBytes(this->world.Contents(source), this->content);
  EXPECT_EQ(this->world.FileNames(this->root + L"\\lib\\ext"),
            std::vector<std::wstring>{L"Comm.jar"});
  EXPECT_EQ(this->world.FileNames(this->root + L"\\lib"), std::vector<std::wstring>{L"Comm.jar"});
}

TYPED_TEST_P(FileSystemContract, CopyReportsAMissingSourceOrFolder) {
  const std::wstring source = this->root + L"\\support\\Comm.jar";
  const std::wstring missingSource = this->root + L"\\support\\jdc.jar";
  const std::wstring folder = this->root + L"\\lib\\";
  const std::wstring missingFolder = this->root + L"\\lib\\ext\\";
  this->world.AddFile(source, "x", false);
  this->world.AddFolder(folder);
  FileSystem& files = this->files;

  ExpectError([&] { files.CopyFile(missingSource, folder); }, 53, L"File not found");
  ExpectError([&] { files.CopyFile(this->root + L"\\support", folder); }, 53, L"File not found");
  ExpectError([&] { files.CopyFile(missingSource, missingFolder); }, 53, L"File not found");
  ExpectError([&] { files.CopyFile(source, missingFolder); }, 76, L"Path not found");
  ExpectError([&] { files.CopyFile(source, source + L"\\"); }, 76, L"Path not found");
  ExpectError([&] { files.CopyFile(source, source + L"\\ext\\"); }, 76, L"Path not found");

  EXPECT_FALSE(this->world.IsFolder(missingFolder));
  EXPECT_TRUE(this->world.FileNames(folder).empty());
}

TYPED_TEST_P(FileSystemContract, CopyIsRefusedByAReadOnlyFileOrAFolderOfTheName) {
  const std::wstring source = this->root + L"\\support\\Comm.jar";
  this->world.AddFile(source, this->content, false);
  this->world.AddFile(this->root + L"\\lib\\Comm.jar", "kept", true);
  this->world.AddFolder(this->root + L"\\ext\\Comm.jar");
  FileSystem& files = this->files;

  ExpectError([&] { files.CopyFile(source, this->root + L"\\lib\\"); }, 70, L"Permission denied");
  ExpectError([&] { files.CopyFile(source, this->root + L"\\ext\\"); }, 70, L"Permission denied");

  EXPECT_EQ(this->world.Contents(this->root + L"\\lib\\Comm.jar"), "kept");
  EXPECT_EQ(this->world.FileNames(this->root + L"\\lib"), std::vector<std::wstring>{L"Comm.jar"});
  EXPECT_TRUE(this->world.IsFolder(this->root + L"\\ext\\Comm.jar"));
  EXPECT_TRUE(this->world.FileNames(this->root + L"\\ext").empty());
}

TYPED_TEST_P(FileSystemContract, SubfoldersAreTheFoldersInsideByTheirFoldedNames) {
  const std::wstring java = this->root + L"\\Java";
  for (const wchar_t* folder : {L"\\zulu-8", L"\\_old", L"\\jdk-17\\bin", L"\\JRE1.8"}) {
    this->world.AddFolder(java + folder);
  }
  this->world.AddFile(java + L"\\readme.txt", "x", false);
  using Names = std::vector<std::wstring>;
  const Names all = {L"jdk-17", L"JRE1.8", L"zulu-8", L"_old"};
  for (const auto& [folder, names] :
       std::vector<std::pair<std::wstring, Names>>{{java, all},
                                                   {java + L"\\", all},
                                                   {java + L"\\jdk-17", {L"bin"}},
                                                   {java + L"\\jdk-17\\bin", {}},
                                                   {java + L"\\readme.txt", {}},
                                                   {this->root + L"\\missing\\deeper", {}}}) {
    EXPECT_EQ(this->files.Subfolders(folder), names) << testing::PrintToString(folder);
  }
}

TYPED_TEST_P(FileSystemContract, ReadBytesGivesTheFileUpToTheLimitOrRaises) {
  const std::wstring java = this->root + L"\\jdk\\bin\\java.exe";
  this->world.AddFile(java, this->content, false);
  FileSystem& files = this->files;
  for (const std::size_t limit : {std::size_t{0}, std::size_t{5000}, std::size_t{1000000}}) {
    ExpectBytes(files.ReadBytes(java, limit), this->content.substr(0, limit));
  }
  ExpectError([&] { files.ReadBytes(java + L"w", 4); }, 53, L"File not found");
  ExpectError([&] { files.ReadBytes(this->root + L"\\jre\\release", 4); }, 76, L"Path not found");
  ExpectError([&] { files.ReadBytes(this->root + L"\\jdk", 4); }, 70, L"Permission denied");
}

TYPED_TEST_P(FileSystemContract, FinalPathNamesAPlainFileAsGivenAndRaisesForAMissingOne) {
  const std::wstring java = this->root + L"\\jdk\\bin\\java.exe";
  this->world.AddFile(java, "MZ", false);
  FileSystem& files = this->files;

  EXPECT_EQ(files.FinalPath(java), java);
  ExpectError([&] { files.FinalPath(this->root + L"\\jdk\\bin\\javaw.exe"); }, 53,
              L"File not found");
  ExpectError([&] { files.FinalPath(this->root + L"\\missing\\java.exe"); }, 76, L"Path not found");
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, FileExistsOnlyForAFile,
                            CopyPutsTheWholeFileUnderItsNameInTheFolder,
                            CopyReportsAMissingSourceOrFolder,
                            CopyIsRefusedByAReadOnlyFileOrAFolderOfTheName,
                            SubfoldersAreTheFoldersInsideByTheirFoldedNames,
                            ReadBytesGivesTheFileUpToTheLimitOrRaises,
                            FinalPathNamesAPlainFileAsGivenAndRaisesForAMissingOne);

}  // namespace tq
