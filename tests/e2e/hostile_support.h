#pragma once

// What the tests of hostile machines need beyond the common harness: Java
// runtime folders, the support folder, registry keys in bulk, and answering
// every message box a launcher shows, in order.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "tests/e2e/harness.h"

namespace tq::e2e {

inline constexpr wchar_t kHostileSupportFolder[] = L"C:\\tovane\\GsmModemJar";

// The four support files, where each lands below a runtime's home.
struct SupportFileRow {
  const wchar_t* fileName;
  const wchar_t* placeInRuntime;
};
inline constexpr SupportFileRow kSupportFileRows[] = {
    {L"Comm.jar", L"\\lib\\ext\\Comm.jar"},
    {L"javax.comm.properties", L"\\lib\\javax.comm.properties"},
    {L"Win32com.dll", L"\\bin\\Win32com.dll"},
    {L"jdc.jar", L"\\lib\\ext\\jdc.jar"},
};

// Makes a folder and the folders above it; throws std::runtime_error.
void MakeFolders(const std::wstring& path);
void WriteFileText(const std::wstring& path, const std::string& bytes);
// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileText(const std::wstring& path);
bool FileIsThere(const std::wstring& path);
bool FolderIsThere(const std::wstring& path);
// Removes a folder and everything in it (read-only files too), retrying a
// while; true when it is gone.
bool RemoveTree(const std::wstring& path);
// The names of the files in a folder that match a pattern such as "*.tmp".
std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern);

// A Java runtime as its installer leaves it: bin\java.exe (the stand-in),
// lib and lib\ext, and the support files when asked for.
void MakeRuntimeFolder(const std::wstring& home, const std::wstring& standInJava,
                       bool withSupportFiles);

// The content a support file has in the support folder: its own name, so
// that a swapped copy shows.
std::string SupportFileContent(const wchar_t* fileName);

// The support folder with its four files for the life of the object; what
// an interrupted run left there is replaced, and C:\tovane goes at the end.
class ProvidedSupportFolder {
 public:
  ProvidedSupportFolder();
  ProvidedSupportFolder(const ProvidedSupportFolder&) = delete;
  ProvidedSupportFolder& operator=(const ProvidedSupportFolder&) = delete;
  ~ProvidedSupportFolder();
};

// Creates `count` version keys below the Java runtime key, in the 32-bit
// view, named by `nameOf(index)`, each with a JavaHome; fast enough for
// thousands. Removing the Java runtime key removes them.
void CreateVersionKeys(int count, const std::function<std::wstring(int)>& nameOf,
                       const std::wstring& javaHome);

// Sets a value in the 32-bit view, making the key as needed, with no undo.
void SetValueDirectly(const std::wstring& key, const std::wstring& name, DWORD type,
                      const void* data, DWORD size);

// Answers each message box of `launcher` with OK, in the order they come,
// until the launcher ends or the time is up; the texts, in order. Each box
// must carry the launcher's title. `beforeOk(index, text)`, if given, runs
// while box `index` (from 0) waits.
std::vector<std::wstring> AnswerEveryBox(
    WatchedProcess& launcher, unsigned timeoutMilliseconds,
    const std::function<void(std::size_t, const std::wstring&)>& beforeOk = {});

// The command line and arguments the launcher hands over when it starts
// `program` (the program part exactly as it heads the line).
std::wstring CommandStarting(const std::wstring& program, const std::wstring& launcherFolder);
std::vector<std::wstring> ArgumentsStarting(const std::wstring& program,
                                            const std::wstring& launcherFolder);

}  // namespace tq::e2e
