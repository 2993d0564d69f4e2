#pragma once

// Drives the real TovaneQuillon.exe from outside, as a user's desktop would:
// lays out a launcher folder, starts the launcher as Explorer does, and
// watches the process. Everything waits with a time limit, and everything
// it starts or creates is ended or removed when its owner goes away, so a
// failing test fails instead of hanging or leaving processes behind.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq::e2e {

// --- Time -------------------------------------------------------------------

// Milliseconds on the system's tick clock: comparable across processes, so
// the stand-in's own timestamps line up with the test's.
using Tick = unsigned long long;
Tick Now();

// How much later a process may start, and so anything it does happen, where
// the session runs the 32-bit programs under qemu (TQ_WINDOWS_FLAVOUR is
// "emulated", tools/wine-session.sh); 0 elsewhere. Measured on 2 cores at
// load 10 to 22 (the test command's sessions and other builds): the
// launcher's splash up to 5.8 s after its start (0.6 s natively) and the
// stand-in Java's own start up to 1.9 s behind the launcher's call; one
// 32-bit start alone takes 0.3 s emulated on an idle machine, and the
// launcher's end, after the close or the OK that ends it, came 2.2 s late in
// CI. What only one start or one end moves takes half of it.
unsigned EmulationLag();

// Asks `condition` every `pollMilliseconds` until it holds or the time is up
// (later by three process starts under emulation); true when it held.
template <class Condition>
bool WaitUntil(Condition&& condition, unsigned timeoutMilliseconds,
               unsigned pollMilliseconds = 10) {
  const Tick end = Now() + timeoutMilliseconds + 3 * EmulationLag();
  for (;;) {
    if (condition()) {
      return true;
    }
    if (Now() >= end) {
      return false;
    }
    Sleep(pollMilliseconds);
  }
}

// `text` for a failure message: ASCII kept, everything else shown as '?'.
std::string Narrow(const std::wstring& text);

// --- The programs under test --------------------------------------------------

// A path as CTest passes it ("/x/y", a Linux path) made into the Windows
// path Wine maps it to ("Z:\x\y"); a Windows path is returned unchanged.
std::wstring WindowsPathFromHost(const std::wstring& path);

// Where the programs are. The test is told through the environment:
//   TQ_E2E_LAUNCHER            TovaneQuillon.exe
//   TQ_E2E_STAND_IN_JAVA       the stand-in java.exe
//   TQ_E2E_MESSAGE_BOX_SAMPLE  message_box_sample.exe
// Host paths are accepted. Throws std::runtime_error when one is missing.
struct Programs {
  std::wstring launcher;
  std::wstring standInJava;
  std::wstring messageBoxSample;

  static Programs FromEnvironment();
};

// --- Folders ------------------------------------------------------------------

// A fresh folder under the temporary folder (on C:), removed with all its
// contents on destruction. End the processes running from it first.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  [[nodiscard]] const std::wstring& path() const noexcept { return path_; }

 private:
  std::wstring path_;
};

// A launcher installed in a folder: the folder (any name: blanks and
// letters beyond ASCII are fine), TovaneQuillon.exe copied into it, and the
// application's folders "Sorvanta\lib" the class path names.
class LauncherLayout {
 public:
  LauncherLayout(const std::wstring& parent, const std::wstring& folderName,
                 const std::wstring& launcherProgram);

  // The launcher folder, as the launcher itself reports it: no trailing
  // backslash.
  [[nodiscard]] const std::wstring& folder() const noexcept { return folder_; }
  [[nodiscard]] std::wstring launcher() const;
  [[nodiscard]] std::wstring java() const;

  // Puts the stand-in in the launcher folder as java.exe. For a program
  // named without a folder, the system looks first in the folder the
  // starting program came from, so the launcher's bare "java" finds this
  // copy before anything on the search path, and each test owns its own.
  void PlaceJava(const std::wstring& standInJava) const;

 private:
  std::wstring folder_;
};

// Copies the stand-in java.exe to `target` (a full path to a program: a
// runtime's bin\java.exe, a decoy such as C:\Program.exe), making missing
// folders on the way. Remove what you place outside a ScratchFolder.
void PlaceStandIn(const std::wstring& standInJava, const std::wstring& target);

// --- Processes ----------------------------------------------------------------

// A process the test started. Destroying it ends the process if it still
// runs.
class WatchedProcess {
 public:
  WatchedProcess(UniqueHandle process, DWORD pid, Tick startedAt);
  WatchedProcess(WatchedProcess&&) noexcept = default;
  WatchedProcess& operator=(WatchedProcess&&) noexcept = default;
  ~WatchedProcess();

  [[nodiscard]] DWORD pid() const noexcept { return pid_; }
  // Just before CreateProcessW was called.
  [[nodiscard]] Tick startedAt() const noexcept { return startedAt_; }
  [[nodiscard]] bool Running() const;

  // The exit code, or nothing when the process still runs after the time.
  // The moment the end was seen is exitedAt() (within ~10 ms of the end).
  std::optional<DWORD> WaitForExit(unsigned timeoutMilliseconds);
  [[nodiscard]] Tick exitedAt() const noexcept { return exitedAt_; }

  void Terminate();

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
  Tick startedAt_ = 0;
  Tick exitedAt_ = 0;
};

// The Windows path of the program (or DLL) the environment variable names,
// as CMake hands it to the tests; throws when it is unset or not there.
std::wstring RequiredProgram(const wchar_t* variable);

// Extra environment variables for a started program (its others are the
// test's own).
using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

// CreateProcessW, tried once more when Wine lost the new process while
// setting it up (ERROR_INTERNAL_ERROR, seen under load, before the program's
// entry point): that says nothing of the program. Said on standard output.
// `startedAt`: the tick just before the attempt that counted.
BOOL CreateProcessTwiceIfWineLostIt(const wchar_t* program, wchar_t* commandLine, DWORD flags,
                                    void* environment, const wchar_t* folder, STARTUPINFOW* startup,
                                    PROCESS_INFORMATION* info, Tick* startedAt);

// Starts a program as Explorer starts one: its own path as the application
// name, the path quoted at the head of the command line, a normal window,
// no console of the caller (DETACHED_PROCESS). `workingDirectory` empty:
// the program's folder. Throws std::runtime_error when it cannot start.
WatchedProcess StartProgram(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& workingDirectory,
                            const EnvironmentOverrides& environment = {});

// The launcher of `layout`, started like a double click in its folder (or
// with another working directory).
WatchedProcess StartLauncher(const LauncherLayout& layout,
                             const EnvironmentOverrides& environment = {},
                             const std::wstring& workingDirectory = {});

// Ids of the processes whose parent is `parentPid`, running or not yet
// reaped by the system's process list.
std::vector<DWORD> ChildProcesses(DWORD parentPid);

// Where the system's search for a program named without a folder would find
// "java.exe" when started by a program in `programFolder` whose working
// directory is `programFolder`; empty when it finds none.
std::wstring FindJavaOnSearchPath(const std::wstring& programFolder);

}  // namespace tq::e2e
