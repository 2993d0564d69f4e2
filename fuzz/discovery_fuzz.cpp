// Runs the whole start-up sequence on a machine that the fuzz input
// describes (the version subkeys, their JavaHome values and types, which
// runtime folders and support files exist, the code page, the launcher
// folder) with at most one platform call made to fail, and checks the run
// against the rules every run keeps and against the prediction worked out
// from the machine alone. Inputs that begin with 0xFF run the settings
// file's runtime search instead (fuzz/search_fuzzing.cpp).

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz/search_fuzzing.h"
#include "platform/memory/code_pages.h"
#include "tests/host/run_oracle.h"
#include "tests/host/whole_run.h"
#include "tests/launcher_expectations.h"

namespace tq::whole_run {
namespace {

constexpr std::size_t kMostRuntimes = 24;

// Letters that cross both code pages unchanged, so that names compare as
// the registry compares them; enough to make numbers, near-numbers and
// words.
constexpr std::wstring_view kNameLetters = L"0123456789.,_- +abjAB";

constexpr std::array<std::wstring_view, 4> kLauncherFolders = {
    L"C:\\Tovane", L"C:\\", L"C:\\Program Files\\Tovane Quillon", L"D:\\a;b&c\\%x%"};
constexpr std::array<std::wstring_view, 3> kWorkingDirectories = {L"C:\\Users\\operator", L"C:\\",
                                                                  L"E:\\somewhere"};

// Runtime folders a JavaHome may name. The file system knows them, each
// with or without its folders and support files.
std::vector<std::wstring> CandidateHomes() {
  return {L"C:\\jre",
          L"C:\\Program Files\\Java\\jre6",
          L"C:\\jre\\",
          L"C:\\\u65e5\u672c\u8a9e\\jre",
          L"",
          L" ",
          L"C:\\" + std::wstring(1100, L'x')};
}

std::wstring FuzzedName(FuzzedDataProvider& input) {
  std::wstring name;
  if (input.ConsumeIntegralInRange(0, 15) == 0) {
    // Names near the 260-byte buffer of the enumeration.
    name = L"1.6" + std::wstring(input.ConsumeIntegralInRange<std::size_t>(250, 262), L'_');
  } else {
    const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(1, 10);
    for (std::size_t i = 0; i < length; ++i) {
      name += kNameLetters[input.ConsumeIntegralInRange<std::size_t>(0, kNameLetters.size() - 1)];
    }
  }
  return name;
}

std::wstring Folded(const std::wstring& name) {
  std::wstring folded = name;
  for (wchar_t& c : folded) {
    c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 0x20) : c;
  }
  return folded;
}

StoredValue FuzzedJavaHome(FuzzedDataProvider& input, CodePage codePage,
                           const std::vector<std::wstring>& homes) {
  static constexpr std::array<std::uint32_t, 8> kTypes = {1, 1, 2, 7, 3, 4, 0, 11};
  const std::uint32_t type =
      kTypes[input.ConsumeIntegralInRange<std::size_t>(0, kTypes.size() - 1)];
  if (input.ConsumeIntegralInRange(0, 3) == 0) {
    // Raw bytes: too short, NULs inside, no closing NUL, over 1024 bytes.
    const std::size_t size = input.ConsumeIntegralInRange<std::size_t>(0, 1400);
    std::vector<std::uint8_t> data = input.ConsumeBytes<std::uint8_t>(size);
    data.resize(size, 'j');
    return {type, data};
  }
  StoredValue value = TextValue(
      homes[input.ConsumeIntegralInRange<std::size_t>(0, homes.size() - 1)], codePage, type);
  if (type == 7) {
    value.data.push_back(0);
  }
  return value;
}

Machine FuzzedMachine(FuzzedDataProvider& input) {
  Machine machine;
  machine.codePage = input.ConsumeBool() ? CodePage::kShiftJisSubset : CodePage::kWindows1252;
  machine.hasBaseKey = input.ConsumeIntegralInRange(0, 15) != 0;
  machine.baseKeyUnreadable = input.ConsumeIntegralInRange(0, 15) == 0;
  machine.launcherFolder =
      kLauncherFolders[input.ConsumeIntegralInRange<std::size_t>(0, kLauncherFolders.size() - 1)];
  machine.workingDirectory = kWorkingDirectories[input.ConsumeIntegralInRange<std::size_t>(
      0, kWorkingDirectories.size() - 1)];

  const std::vector<std::wstring> homes = CandidateHomes();
  const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, kMostRuntimes);
  std::set<std::wstring> names;
  for (std::size_t i = 0; i < count; ++i) {
    RuntimeEntry entry;
    entry.name = FuzzedName(input);
    // The registry holds one key per name, whatever the letters' case.
    if (!names.insert(Folded(entry.name)).second) {
      continue;
    }
    if (input.ConsumeIntegralInRange(0, 9) != 0) {
      entry.javaHome = FuzzedJavaHome(input, machine.codePage, homes);
    }
    entry.unreadable = input.ConsumeIntegralInRange(0, 15) == 0;
    machine.runtimes.push_back(std::move(entry));
  }

  const auto supportBits = input.ConsumeIntegral<std::uint8_t>();
  for (std::size_t row = 0; row < expected::kSupportFiles.size(); ++row) {
    if ((supportBits >> row & 1) == 0) {
      machine.files.push_back(expected::PathInSupportFolder(expected::kSupportFiles[row]));
    }
  }
  for (const std::wstring& home : homes) {
    const auto bits = input.ConsumeIntegral<std::uint16_t>();
    if ((bits & 1) != 0) {
      machine.folders.push_back(home + L"\\lib\\ext");
    }
    if ((bits & 2) != 0) {
      machine.folders.push_back(home + L"\\bin");
    }
    // Each support file's place: empty, a file, a read-only file, or a
    // folder of that name in the way of the copy.
    for (std::size_t row = 0; row < expected::kSupportFiles.size(); ++row) {
      const std::wstring path = home + expected::PathInRuntime(expected::kSupportFiles[row]);
      switch (bits >> (2 + 2 * row) & 3) {
        case 1:
          machine.files.push_back(path);
          break;
        case 2:
          machine.readOnlyFiles.push_back(path);
          break;
        case 3:
          machine.folders.push_back(path);
          break;
        default:
          break;
      }
    }
  }
  return machine;
}

std::optional<Fault> FuzzedFault(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) {
    return std::nullopt;
  }
  Fault fault{kAllOperations[input.ConsumeIntegralInRange<std::size_t>(0, kOperationCount - 1)],
              input.ConsumeIntegralInRange<std::size_t>(1, 30), 0};
  static constexpr std::array<int, 6> kRegistryCodes = {2, 5, 234, 31, 6, 259};
  static constexpr std::array<int, 5> kErrorNumbers = {53, 76, 70, 13, -2147024784};
  if (IsRegistryOperation(fault.operation)) {
    fault.code = input.ConsumeBool() ? kRegistryCodes[input.ConsumeIntegralInRange<std::size_t>(
                                           0, kRegistryCodes.size() - 1)]
                                     : input.ConsumeIntegral<std::int32_t>();
    if (fault.code == 0) {
      fault.code = 1;
    }
  } else {
    fault.code =
        kErrorNumbers[input.ConsumeIntegralInRange<std::size_t>(0, kErrorNumbers.size() - 1)];
    fault.description = L"injected " + std::to_wstring(fault.code);
  }
  return fault;
}

void FuzzOnce(FuzzedDataProvider& input) {
  const Machine machine = FuzzedMachine(input);
  const std::optional<Fault> fault = FuzzedFault(input);
  const Observation seen = RunOnce(machine, fault);
  std::vector<std::string> problems = seen.brokenRules;
  for (std::string& difference : Differences(Predict(machine, fault), seen)) {
    problems.push_back(std::move(difference));
  }
  if (!problems.empty()) {
    std::fprintf(stderr, "fault: %s\n", fault ? Describe(*fault).c_str() : "none");
    for (const std::string& problem : problems) {
      std::fprintf(stderr, "broken: %s\n", problem.c_str());
    }
    std::abort();
  }
}

}  // namespace
}  // namespace tq::whole_run

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An input that begins with 0xFF describes a runtime search of the
  // settings file; any other a machine for the default discovery.
  if (size > 0 && data[0] == 0xFF) {
    FuzzedDataProvider input(data + 1, size - 1);
    tq::fuzz::FuzzSearch(input);
    return 0;
  }
  FuzzedDataProvider input(data, size);
  tq::whole_run::FuzzOnce(input);
  return 0;
}
