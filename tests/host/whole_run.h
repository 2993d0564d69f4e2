#pragma once

// The whole start-up sequence run against the in-memory doubles: a machine
// described as data (registry, files, folders), at most one injected
// platform failure, and what the run showed from outside. Used by the fault
// injection tests and by the discovery fuzzer, so it holds no test
// framework: broken rules come back as text.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/process_services.h"
#include "platform/memory/code_pages.h"
#include "platform/memory/fault_plan.h"

namespace tq::whole_run {

// A registry value as stored: its type and its bytes.
struct StoredValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

// One version subkey of the Java base key, in enumeration order.
struct RuntimeEntry {
  std::wstring name;
  std::optional<StoredValue> javaHome;
  bool unreadable = false;
};

// The settings file beside the launcher: its bytes, and what its author
// meant by them, which the prediction takes instead of reading the bytes.
struct SettingsOnMachine {
  std::string bytes;
  bool unreadable = false;
  // The values as written; empty: not set.
  std::wstring home;
  int homeLine = 0;
  std::optional<std::wstring> options;
  bool singleInstance = false;
  std::wstring logFile;
  std::wstring javaOutput;
  // When the file cannot be used: what its box says is wrong ("Line 2,
  // [Launcher] SingleInstance: ...").
  std::optional<std::wstring> problem;
};

inline SettingsOnMachine SettingsFile(std::string bytes) {
  SettingsOnMachine settings;
  settings.bytes = std::move(bytes);
  return settings;
}

struct Machine {
  CodePage codePage = CodePage::kWindows1252;
  bool hasBaseKey = true;
  bool baseKeyUnreadable = false;
  std::vector<RuntimeEntry> runtimes;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> files;
  std::vector<std::wstring> readOnlyFiles;
  std::wstring launcherFolder = L"C:\\Program Files\\Tovane";
  std::wstring workingDirectory = L"C:\\Users\\operator";
  // TovaneQuillon.ini beside the launcher, if there is one.
  std::optional<SettingsOnMachine> settings;
  // What follows the launcher's name on its command line ("--log").
  std::wstring arguments;
  // Environment variables, by name in capitals.
  std::map<std::wstring, std::wstring> environment;
  // The application of the launcher's folder runs already.
  bool applicationRuns = false;
  // How the started Java ends, if it ends within the launcher's wait.
  std::optional<ProgramEnd> javaEnds;
};

// Where a machine's temporary folder is, and the folders logs can be
// written to besides it: the launcher's folder.
inline constexpr wchar_t kTemporaryFolder[] = L"C:\\Users\\operator\\AppData\\Local\\Temp\\";

// What the user and the system see of a run.
struct Outcome {
  unsigned exitCode = 0;
  std::vector<std::wstring> messages;
  std::wstring javaHomePath;
  // The one command line started, if any, and the folder it started in.
  std::optional<std::wstring> startedCommand;
  std::wstring startedIn;
  // The launcher's working directory when it ended.
  std::wstring finalWorkingDirectory;
  // How the one program was started.
  std::wstring startedOutputFile;
  bool startedInheritingHandles = false;
  // The decision log opened, or empty.
  std::wstring logFile;

  friend bool operator==(const Outcome&, const Outcome&) = default;
};

struct Observation {
  Outcome outcome;
  // The platform calls the run made, as the doubles' fault plan counted them.
  CallCounts calls;
  // Registry handles still open when the process ended.
  std::size_t openHandles = 0;
  // Rules of every run that this one broke (empty when none).
  std::vector<std::string> brokenRules;
};

// Runs RunTimerTick once on a fresh set of doubles built from the machine,
// with the fault injected when there is one. The prediction (run_oracle.h)
// knows only faults of one numbered call, not of every call.
Observation RunOnce(const Machine& machine, const std::optional<Fault>& fault);

// Text for failure reports: printable ASCII, the rest as \uXXXX, long
// texts shortened.
std::string Printable(std::wstring_view text);
std::string Describe(const Outcome& outcome);
std::string Describe(const Fault& fault);

// Helpers to describe machines.
StoredValue TextValue(std::wstring_view text, CodePage codePage = CodePage::kWindows1252,
                      std::uint32_t type = 1);

}  // namespace tq::whole_run
