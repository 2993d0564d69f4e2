#pragma once

// The whole start-up sequence run against the in-memory doubles: a machine
// described as data (registry, files, folders), at most one injected
// platform failure, and what the run showed from outside. Used by the fault
// injection tests and by the discovery fuzzer, so it holds no test
// framework: broken rules come back as text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
};

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
