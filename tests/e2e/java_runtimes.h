#pragma once

// Java runtimes as they lie on a user's disk, the fixed support folder the
// launcher copies from, and a planted program, for the tests that let the
// launcher choose a runtime. Everything made here is removed again by its
// owner, also when a test fails half-way.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/windows_api.h"
#include "tests/e2e/stand_in_records.h"

namespace tq::e2e {

// --- Files ----------------------------------------------------------------------

// The whole content of a file; throws std::runtime_error when it cannot be
// read.
std::string ReadFileBytes(const std::wstring& path);

// Writes a file anew, making missing folders on the way.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

FILETIME LastWriteTime(const std::wstring& path);
void SetLastWriteTime(const std::wstring& path, const FILETIME& time);

// Every file below a folder, by its path relative to the folder, with its
// content and last write time: two snapshots compare equal only when nothing
// was added, removed, rewritten or touched.
struct FileState {
  std::string bytes;
  unsigned long long lastWrite = 0;
  bool operator==(const FileState&) const = default;
};
using FolderSnapshot = std::map<std::wstring, FileState>;
FolderSnapshot SnapshotOf(const std::wstring& folder);

// Removes a folder with everything in it, read-only files too; a missing
// folder is no failure. Retries a while, since a program that has only just
// ended may keep its file a moment longer. False when the folder is still
// there.
bool RemoveFolderTree(const std::wstring& folder);

// Whether a file (not a folder) is at `path`.
bool IsFile(const std::wstring& path);

// The names of the files in a folder that match a pattern such as "*.tmp".
std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern);

// --- Java runtimes --------------------------------------------------------------

// A Java runtime's folder as its installer leaves it: bin\java.exe (the
// stand-in), lib and lib\ext. Removed by whoever owns the parent folder.
class JavaRuntimeFolder {
 public:
  enum class SupportFiles { kMissing, kPresent };

  // `supportFiles` kPresent: the four serial-communication support files
  // are in place already, so the launcher has nothing to copy and no
  // support folder is needed.
  JavaRuntimeFolder(std::wstring home, const std::wstring& standInJava,
                    SupportFiles supportFiles = SupportFiles::kMissing);

  [[nodiscard]] const std::wstring& home() const noexcept { return home_; }
  [[nodiscard]] std::wstring java() const { return home_ + L"\\bin\\java.exe"; }

 private:
  std::wstring home_;
};

// The subkeys of the Java runtime key in the launcher's (32-bit) view, in
// the order the registry enumerates them.
std::vector<std::wstring> JavaRuntimeSubkeys();

// --- The support folder (expected::kSupportFolder) ------------------------------

// The launcher copies from a fixed folder of the machine. A test takes it
// over for its duration: provided with content, or made sure to be absent.
// A folder that is there already and was not made by these tests is left
// alone and the test fails (std::runtime_error) instead of touching it.
class SupportFolder {
 public:
  enum class State { kProvided, kAbsent };
  explicit SupportFolder(State state);
  SupportFolder(const SupportFolder&) = delete;
  SupportFolder& operator=(const SupportFolder&) = delete;
  ~SupportFolder();

 private:
  bool madeParent_ = false;
};

// The bytes a provided support folder holds for `fileName`: different for
// every file, every byte value present, so a truncated, text-mode or
// swapped copy shows.
std::string SupportFolderContent(std::wstring_view fileName);

// --- Planted programs -----------------------------------------------------------

// A copy of the stand-in at a fixed path outside any test folder, such as
// C:\Program.exe, which an unquoted program path with blanks would run.
// Removed on destruction, after every stand-in of `records` is stopped (a
// running program cannot be deleted). A different file already at the path
// makes the constructor throw, and it is left alone.
class PlantedProgram {
 public:
  PlantedProgram(std::wstring path, const std::wstring& standInJava, StandInRecords& records);
  PlantedProgram(const PlantedProgram&) = delete;
  PlantedProgram& operator=(const PlantedProgram&) = delete;
  ~PlantedProgram();

  [[nodiscard]] const std::wstring& path() const noexcept { return path_; }

 private:
  std::wstring path_;
  StandInRecords& records_;
};

// A folder at a fixed path that belongs to these tests (its name says so):
// whatever an earlier, interrupted run left there is removed first, and the
// folder is removed on destruction. Its parent must exist.
class OwnedFolder {
 public:
  explicit OwnedFolder(std::wstring path);
  OwnedFolder(const OwnedFolder&) = delete;
  OwnedFolder& operator=(const OwnedFolder&) = delete;
  ~OwnedFolder();

  [[nodiscard]] const std::wstring& path() const noexcept { return path_; }

 private:
  std::wstring path_;
};

// Starts a whole command line with no program named apart from it, so the
// system's search decides what runs, with `environment` added to this
// process's own. Throws std::runtime_error when nothing can be started.
WatchedProcess StartCommandLine(const std::wstring& commandLine,
                                const EnvironmentOverrides& environment);

// --- The user's number format -------------------------------------------------------

// What the system's locale-aware conversion makes of `text` under the
// user's number format, read in a new process (`numberProbe`), since a
// process may keep the format it read first. Nothing when the text is no
// number there.
std::optional<double> UserFormatNumber(const std::wstring& numberProbe, const std::wstring& text);

// The number probe program, from TQ_E2E_NUMBER_PROBE (a host path is
// accepted); throws std::runtime_error when it is missing.
std::wstring NumberProbeProgram();

}  // namespace tq::e2e
