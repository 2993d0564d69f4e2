#pragma once

// The machine both programs of the start-up benchmark run on, laid out once
// for the whole run: the launcher installed in a folder with a blank in its
// name, a Java runtime registered in the 32-bit registry view whose java.exe
// is the stand-in and which already holds the four support files (so the
// launcher does its whole discovery, looks for each file, and copies
// nothing), a second copy of the launcher with a settings file, and the
// floor program. Everything it made is removed, and the
// registry restored, on destruction.

#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/registry_scope.h"

namespace tq::bench {

struct BenchPrograms {
  std::wstring launcher;
  std::wstring floor;
  std::wstring standInJava;
};

class BenchMachine {
 public:
  explicit BenchMachine(const BenchPrograms& programs);
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  [[nodiscard]] const e2e::LauncherLayout& launcher() const noexcept { return launcher_; }
  // The same launcher in a folder of its own, with a settings file of the
  // usual kind beside it: Java options, the guard, a decision log.
  [[nodiscard]] const e2e::LauncherLayout& launcherWithSettings() const noexcept {
    return withSettings_;
  }
  [[nodiscard]] const std::wstring& floor() const noexcept { return floor_; }
  // The Java runtime's java.exe: the program both start.
  [[nodiscard]] std::wstring java() const;
  // The command line the launcher composes for this machine; the floor is
  // given the same one, so both start the same program the same way.
  [[nodiscard]] std::wstring javaCommand() const;
  // A folder, not made yet, for the records of one run's stand-in.
  [[nodiscard]] std::wstring NewRecordFolder();

 private:
  // Destroyed in reverse: the registry is restored, then the scratch
  // folder goes.
  e2e::ScratchFolder scratch_;
  e2e::LauncherLayout launcher_;
  e2e::LauncherLayout withSettings_;
  std::wstring runtime_;
  std::wstring floor_;
  e2e::RegistryScope registry_;
  unsigned recordFolders_ = 0;
};

}  // namespace tq::bench
