// Drives the registry read helpers against a registry whose every answer
// (result codes, types, sizes, names, data, a value that changes between the
// two queries) comes from the fuzz input, and checks the helpers' results
// against the rules they follow, besides the sanitizers' own checks.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzzed_registry.h"
#include "fuzz/registry_expectations.h"
#include "platform/memory/code_pages.h"
#include "registry/m_registry.h"

namespace tq::fuzz {
namespace {

// A handle that the caller holds open and passes as root.
constexpr KeyHandle kCallerHeldRoot = 0x00C0FFEE;

std::wstring FuzzedText(FuzzedDataProvider& input, CodePage codePage) {
  return FromCodePage(codePage, input.ConsumeRandomLengthString(40));
}

std::optional<RegVariant> FuzzedDefault(FuzzedDataProvider& input, CodePage codePage) {
  switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
      return std::nullopt;
    case 1:
      return RegVariant(Empty{});
    case 2:
      return RegVariant(FuzzedText(input, codePage));
    case 3:
      return RegVariant(input.ConsumeIntegral<std::int32_t>());
    default:
      return RegVariant(input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 16)));
  }
}

template <typename Call>
Outcome Run(Call call) {
  try {
    return {call(), 0};
  } catch (const Error& error) {
    return {std::nullopt, error.number()};
  }
}

void FuzzOnce(FuzzedDataProvider& input) {
  const int helper = input.ConsumeIntegralInRange(0, 2);
  const CodePage codePage =
      input.ConsumeBool() ? CodePage::kShiftJisSubset : CodePage::kWindows1252;
  const KeyHandle root = input.ConsumeBool() ? kCallerHeldRoot : kHkeyLocalMachine;
  const std::wstring keyPath = FuzzedText(input, codePage);
  FuzzedRegistry registry(input, codePage, root);
  registry.expectedPath = ToCodePage(codePage, keyPath);

  if (helper == 0) {
    const bool exists = RegKeyExists(registry, root, keyPath);
    Check(exists == (registry.openResults.at(0) == kErrorSuccess), "exists when the open works");
  } else if (helper == 1) {
    std::vector<std::wstring> names;
    const Outcome outcome = Run([&] {
      const SubKeyCollection collection = RegEnumSubKeys(registry, root, keyPath);
      names.assign(collection.begin(), collection.end());
      return RegVariant(Empty{});
    });
    Check(keyPath.empty() == registry.openResults.empty(), "an empty path opens nothing");
    std::vector<std::wstring> expectedNames;
    const bool opened = keyPath.empty() || registry.openResults[0] == kErrorSuccess;
    Check(opened || registry.enumeratedNames.empty(), "a key that fails to open is not listed");
    const Outcome expected = ExpectedSubKeys(registry, codePage, expectedNames);
    Check(outcome.errorNumber == expected.errorNumber, "duplicates and only they raise 457");
    Check(outcome.errorNumber != 0 || names == expectedNames, "names in enumeration order");
    Check(outcome.errorNumber != 0 || !opened || registry.enumEndStatus != kErrorSuccess,
          "the enumeration runs to its first failure");
  } else {
    const std::wstring valueName = FuzzedText(input, codePage);
    registry.expectedValueName = ToCodePage(codePage, valueName);
    const std::optional<RegVariant> defaultValue = FuzzedDefault(input, codePage);
    const Outcome outcome =
        Run([&] { return RegGetValue(registry, root, keyPath, valueName, defaultValue); });
    const Outcome expected = ExpectedValue(registry, codePage, defaultValue);
    Check(outcome.errorNumber == expected.errorNumber, "the error the rules give");
    Check(outcome.result == expected.result, "the value the rules give");
  }
  Check(registry.open.empty(), "every key the helper opened is closed");
}

}  // namespace
}  // namespace tq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  tq::fuzz::FuzzOnce(input);
  return 0;
}
