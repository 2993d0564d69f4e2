#pragma once

// Reads what the stand-in java.exe recorded, and stops the stand-ins.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique_any.h"
#include "tests/e2e/harness.h"

namespace tq::e2e {

// One run of the stand-in, as it saw itself.
struct StandInRecord {
  DWORD pid = 0;
  DWORD parentPid = 0;
  Tick startedAt = 0;
  std::wstring program;
  std::wstring workingDirectory;
  std::wstring commandLine;
  std::vector<std::wstring> arguments;  // as the C runtime split the command line
  std::string consoleWindow;            // kConsoleNone, kConsoleHidden or kConsoleVisible
};

// The record text parsed, or nothing when a key is missing.
std::optional<StandInRecord> ParseStandInRecord(const std::string& utf8);

// A record folder for the stand-ins of one test. Hands the stand-in its
// settings through the environment of the program that starts it (the
// launcher passes its environment on). Destroying it ends every stand-in
// that recorded there.
class StandInRecords {
 public:
  explicit StandInRecords(std::wstring folder);
  StandInRecords(const StandInRecords&) = delete;
  StandInRecords& operator=(const StandInRecords&) = delete;
  ~StandInRecords();

  [[nodiscard]] const std::wstring& folder() const noexcept { return folder_; }

  // The variables that make a stand-in record here and keep running for
  // `lingerMilliseconds`, to give to StartLauncher.
  [[nodiscard]] EnvironmentOverrides Environment(unsigned lingerMilliseconds = 60000) const;

  // The complete records so far, oldest first.
  std::vector<StandInRecord> Read();

  // Waits until there are at least `count` records; returns those there
  // are when the time is up.
  std::vector<StandInRecord> WaitFor(std::size_t count, unsigned timeoutMilliseconds);

  // Whether the stand-in of a record read here still runs. Its process was
  // opened when the record was first read, so a reused id cannot fool this.
  [[nodiscard]] bool Running(DWORD pid) const;

  // Asks every stand-in of this folder to stop, then ends those that have
  // not within a few seconds.
  void StopAll();

 private:
  std::wstring folder_;
  std::map<DWORD, UniqueHandle> processes_;
};

}  // namespace tq::e2e
