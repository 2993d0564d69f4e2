#include "fuzz/search_fuzzing.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/letter_case.h"
#include "fuzz/fuzz_check.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_registry.h"
#include "runtime/decision_log.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_search.h"
#include "tests/pe_images.h"

namespace tq::fuzz {
namespace {

// Runtime folders the sources may lead to, the same folder written two ways
// among them, and folders of the distributions.
constexpr std::array<std::wstring_view, 9> kFolders = {
    L"C:\\jre",
    L"c:\\JRE\\",
    L"C:\\Program Files\\Java\\jre1.8.0_392",
    L"C:\\Program Files\\Eclipse Adoptium\\jdk-17",
    L"C:\\Program Files\\Microsoft\\jdk-11",
    L"C:\\Program Files\\Microsoft\\Edge",
    L"C:\\Program Files\\BellSoft\\LibericaJDK-8\\jre",
    L"C:\\Program Files (x86)\\Zulu\\zulu-8",
    L"D:\\\u65e5\u672c\\jdk"};
constexpr std::array<std::wstring_view, 6> kVersions = {L"1.8", L"1.8.0_392", L"11.0.2",
                                                        L"17",  L"1.4.2",     L"x.y"};
constexpr std::array<std::wstring_view, 4> kJavaSoftKeys = {
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\", L"SOFTWARE\\JavaSoft\\JDK\\",
    L"SOFTWARE\\JavaSoft\\JRE\\", L"SOFTWARE\\JavaSoft\\Java Development Kit\\"};
constexpr std::array<std::uint16_t, 4> kMachines = {kMachineI386, kMachineAmd64, kMachineArm64,
                                                    0x1234};

template <class T, std::size_t N>
const T& Pick(FuzzedDataProvider& input, const std::array<T, N>& items) {
  return items[input.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

std::wstring FolderOf(FuzzedDataProvider& input) { return std::wstring(Pick(input, kFolders)); }

std::string JavaImage(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return input.ConsumeRandomLengthString(512);
    case 1:
      return pe_images::PeImage(Pick(input, kMachines));
    default: {
      const auto a = input.ConsumeIntegralInRange<std::uint16_t>(0, 21);
      const auto c = input.ConsumeIntegralInRange<std::uint16_t>(0, 4000);
      std::string image = pe_images::PeImage(Pick(input, kMachines), {{a, 0, c, 1}});
      if (input.ConsumeIntegralInRange(0, 7) == 0) {
        image.resize(input.ConsumeIntegralInRange<std::size_t>(0, image.size()));
      }
      return image;
    }
  }
}

void BuildMachine(FuzzedDataProvider& input, MemoryRegistry& registry, MemoryFileSystem& files,
                  RuntimeSearch& search) {
  for (int count = input.ConsumeIntegralInRange(0, 6); count > 0; --count) {
    static constexpr std::array<KeyHandle, 3> kRoots = {
        kHkeyLocalMachine, kHkeyLocalMachine64BitView, kHkeyCurrentUser};
    const std::wstring key =
        std::wstring(Pick(input, kJavaSoftKeys)) + std::wstring(Pick(input, kVersions));
    registry.SetString(Pick(input, kRoots), key, L"JavaHome", FolderOf(input));
  }
  for (int count = input.ConsumeIntegralInRange(0, 6); count > 0; --count) {
    const std::wstring folder = FolderOf(input);
    if (input.ConsumeIntegralInRange(0, 5) != 0) {
      files.AddFile(folder + L"\\bin\\java.exe", JavaImage(input));
    } else {
      files.AddFolder(folder + L"\\bin");
    }
    if (input.ConsumeBool()) {
      files.AddFile(folder + L"\\release",
                    input.ConsumeBool()
                        ? "JAVA_VERSION=\"" + input.ConsumeRandomLengthString(12) + "\"\n"
                        : input.ConsumeRandomLengthString(64));
    }
  }
  if (input.ConsumeBool()) {
    files.AddLink(L"C:\\javapath\\java.exe", FolderOf(input) + L"\\bin\\java.exe");
  }
  SearchEnvironment& environment = search.environment;
  environment.windows64Bit = input.ConsumeBool();
  if (input.ConsumeBool()) {
    environment.javaHome = FolderOf(input);
  }
  environment.path = input.ConsumeBool() ? L"C:\\Windows;C:\\javapath;C:\\jre\\bin"
                                         : L"relative;" + FolderOf(input) + L"\\bin";
  environment.programFolders = {L"C:\\Program Files"};
  if (input.ConsumeBool()) {
    environment.programFolders.emplace_back(L"C:\\Program Files (x86)");
  }
}

void ChooseSettings(FuzzedDataProvider& input, RuntimeSearch& search) {
  std::array<RuntimeSource, 4> sources = {RuntimeSource::kJavaSoft, RuntimeSource::kJavaHome,
                                          RuntimeSource::kPath, RuntimeSource::kFolders};
  for (std::size_t i = sources.size() - 1; i > 0; --i) {
    std::swap(sources[i], sources[input.ConsumeIntegralInRange<std::size_t>(0, i)]);
  }
  search.sources.assign(sources.begin(),
                        sources.begin() + input.ConsumeIntegralInRange<std::size_t>(1, 4));
  search.minimum = ParseJavaVersion(Pick(input, kVersions));
  if (input.ConsumeBool()) {
    search.maximum = ParseJavaVersion(Pick(input, kVersions));
  }
  search.bits = static_cast<RuntimeBits>(input.ConsumeIntegralInRange(0, 2));
}

void PlanFault(FuzzedDataProvider& input, FaultPlan& faults) {
  static constexpr std::array<Operation, 7> kSearchOperations = {
      Operation::kSubfolders, Operation::kReadBytes, Operation::kFinalPath, Operation::kFileExists,
      Operation::kOpenKey,    Operation::kEnumKey,   Operation::kQueryValue};
  if (!input.ConsumeBool()) {
    return;
  }
  const Operation operation = Pick(input, kSearchOperations);
  const auto call = input.ConsumeIntegralInRange<std::size_t>(1, 12);
  if (IsRegistryOperation(operation)) {
    faults.FailCall(operation, call, input.ConsumeBool() ? kErrorAccessDenied : kErrorMoreData);
  } else {
    faults.FailCall(operation, call, Error(70, L"Permission denied"));
  }
}

// What the settings allow of a runtime, said from the runtime alone.
bool Allowed(const RuntimeSearch& search, const RuntimeCandidate& runtime) {
  if (!runtime.machine || !runtime.version) {
    return false;
  }
  const bool is32 = IsMachine32Bit(*runtime.machine);
  const bool bitsFit =
      search.bits == RuntimeBits::kAny || (search.bits == RuntimeBits::k32) == is32;
  return bitsFit && !(search.minimum && *runtime.version < *search.minimum) &&
         !(search.maximum && *runtime.version > *search.maximum);
}

void CheckResult(const RuntimeSearch& search, const SearchResult& result) {
  std::vector<std::wstring> folded;
  for (const RuntimeCandidate& runtime : result.found) {
    Check(std::ranges::find(folded, FoldedName(runtime.folder)) == folded.end(),
          "every folder is found once");
    folded.push_back(FoldedName(runtime.folder));
    Check(runtime.refusal.empty() == Allowed(search, runtime),
          "a runtime is refused exactly when the settings do not allow it");
    Check(runtime.version.has_value() == !runtime.versionFrom.empty(),
          "a version says where it came from");
  }
  // The first source searched that found an allowed runtime gives the
  // highest of its allowed ones, the first found of equal versions.
  for (const RuntimeSource source : search.sources) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < result.found.size(); ++i) {
      const RuntimeCandidate& runtime = result.found[i];
      if (runtime.foundBy == source && runtime.refusal.empty() &&
          (!best || *result.found[*best].version < *runtime.version)) {
        best = i;
      }
    }
    if (best) {
      Check(result.chosen == best, "the first source with a runtime allowed gives its highest");
      return;
    }
  }
  Check(!result.chosen, "nothing is chosen when nothing is allowed");
}

}  // namespace

void FuzzSearch(FuzzedDataProvider& input) {
  Journal journal;
  FaultPlan faults;
  MemoryRegistry registry(faults);
  MemoryFileSystem files(journal, faults);
  RuntimeSearch search;
  BuildMachine(input, registry, files, search);
  ChooseSettings(input, search);
  PlanFault(input, faults);
  DecisionLog log;
  const SearchResult result = SearchJavaRuntimes(search, registry, files, log);
  CheckResult(search, result);
  Check(registry.OpenHandleCount() == 0, "every key opened is closed");
}

}  // namespace tq::fuzz
