// Drives the registry read helpers against a registry whose every answer
// (result codes, types, sizes, names, data, a value that changes between the
// two queries) comes from the fuzz input, and checks the helpers' results
// against the rules they follow, besides the sanitizers' own checks.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/memory/code_pages.h"
#include "registry/m_registry.h"
#include "registry/name_case.h"

namespace tq {
namespace {

void Check(bool condition, const char* rule) {
  if (!condition) {
    std::fprintf(stderr, "broken rule: %s\n", rule);
    std::abort();
  }
}

// A handle that the caller holds open and passes as root.
constexpr KeyHandle kCallerHeldRoot = 0x00C0FFEE;
constexpr std::uint32_t kNameBufferSize = 260;
constexpr std::size_t kMostSubKeys = 512;

class FuzzedRegistry final : public RegistryProvider {
 public:
  struct Query {
    std::uint32_t bufferSize;
    std::int32_t status;
    std::uint32_t type;  // as the helper's variable stands after the call
    std::uint32_t size;
    ByteArray buffer;  // the buffer's contents after the call
  };

  FuzzedRegistry(FuzzedDataProvider& input, CodePage codePage, KeyHandle root)
      : input_(input), codePage_(codePage), root_(root) {}

  std::string expectedPath;
  std::string expectedValueName;
  std::vector<std::int32_t> openResults;
  std::set<KeyHandle> open;
  std::vector<std::string> enumeratedNames;
  std::int32_t enumEndStatus = kErrorSuccess;
  std::vector<Query> queries;

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override {
    Check(openResults.empty(), "a helper opens at most one key");
    Check(parent == root_, "keys are opened below root");
    Check(path == expectedPath, "the key path crosses in the code page");
    Check(options == 0 && access == kKeyRead, "keys are opened with KEY_READ only");
    Check(result != nullptr, "the open has somewhere to put the handle");
    const std::int32_t status =
        input_.ConsumeBool() ? kErrorSuccess : input_.ConsumeIntegral<std::int32_t>();
    if (status == kErrorSuccess) {
      *result = nextHandle_;
      open.insert(nextHandle_);
      nextHandle_ += 4;
    }
    openResults.push_back(status);
    return status;
  }

  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override {
    Check(key == root_ || open.count(key) == 1, "enumerates root or the key it opened");
    Check(enumEndStatus == kErrorSuccess, "the enumeration ends at the first failure");
    Check(index == enumeratedNames.size(), "indexes run 0, 1, 2, ...");
    Check(nameSize == kNameBufferSize, "each name buffer holds 260 bytes");
    Check(std::all_of(name, name + nameSize, [](char byte) { return byte == 0; }),
          "each index gets a fresh zero-filled buffer");
    std::int32_t status = kErrorNoMoreItems;
    if (input_.remaining_bytes() > 0 && enumeratedNames.size() < kMostSubKeys) {
      switch (input_.ConsumeIntegralInRange(0, 7)) {
        case 6:
          status = kErrorMoreData;
          break;
        case 7:
          status = input_.ConsumeIntegral<std::int32_t>();
          break;
        default:
          status = kErrorSuccess;
      }
    }
    if (status != kErrorSuccess) {
      enumEndStatus = status;
      return status;
    }
    const std::string bytes =
        input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange<std::size_t>(0, nameSize));
    std::copy(bytes.begin(), bytes.end(), name);
    enumeratedNames.emplace_back(name, nameSize);
    return kErrorSuccess;
  }

  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    Check(open.count(key) == 1, "queries the key the helper opened");
    Check(valueName == expectedValueName, "the value name crosses in the code page");
    Check(reserved == nullptr && type != nullptr && size != nullptr, "query arguments");
    Check(queries.size() < 2, "at most two queries");
    if (queries.empty()) {
      Check(*size == 1024, "the first query has 1024 bytes");
    } else {
      Check(queries[0].status == kErrorMoreData, "a second query only after 'more data'");
      Check(*size == queries[0].size, "the second buffer has exactly the reported size");
    }
    const std::uint32_t bufferSize = *size;
    Check(std::all_of(data, data + bufferSize, [](std::uint8_t byte) { return byte == 0; }),
          "the data buffer starts zero-filled");

    const std::int32_t status = AnswerStatus();
    if (status == kErrorSuccess || input_.ConsumeBool()) {
      *type = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<std::uint32_t>(0, 12)
                                   : input_.ConsumeIntegral<std::uint32_t>();
    }
    const std::string bytes = input_.ConsumeBytesAsString(
        input_.ConsumeIntegralInRange<std::size_t>(0, std::min(bufferSize, 70000U)));
    std::copy(bytes.begin(), bytes.end(), data);
    if (status == kErrorMoreData) {
      *size = NeededSize(bufferSize);
    } else if (status == kErrorSuccess || input_.ConsumeBool()) {
      *size = input_.ConsumeBool() ? static_cast<std::uint32_t>(bytes.size())
                                   : input_.ConsumeIntegral<std::uint32_t>();
    }
    queries.push_back({bufferSize, status, *type, *size, ByteArray(data, data + bufferSize)});
    return status;
  }

  std::int32_t CloseKey(KeyHandle key) override {
    Check(key != root_, "root is never closed");
    Check(open.erase(key) == 1, "only an open key is closed, once");
    return input_.ConsumeBool() ? kErrorSuccess : input_.ConsumeIntegral<std::int32_t>();
  }

  std::string ToAnsi(const std::wstring& text) override { return ToCodePage(codePage_, text); }
  std::wstring FromAnsi(const std::string& bytes) override {
    return FromCodePage(codePage_, bytes);
  }

 private:
  std::int32_t AnswerStatus() {
    switch (input_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        return kErrorSuccess;
      case 1:
        return kErrorMoreData;
      case 2:
        return kErrorFileNotFound;
      default:
        return input_.ConsumeIntegral<std::int32_t>();
    }
  }

  // A grown value, a shrunk one, or a size no buffer can have; never so
  // large that the fuzzer spends its time allocating.
  std::uint32_t NeededSize(std::uint32_t bufferSize) {
    switch (input_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        return bufferSize + input_.ConsumeIntegralInRange<std::uint32_t>(0, 4096);
      case 1:
        return input_.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
      case 2:
        return input_.ConsumeIntegralInRange<std::uint32_t>(0x80000000U, 0xFFFFFFFFU);
      default:
        return 1025;
    }
  }

  FuzzedDataProvider& input_;
  CodePage codePage_;
  KeyHandle root_;
  KeyHandle nextHandle_ = 0x100;
};

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

// What a call is expected to give: a result or an error number.
struct Outcome {
  std::optional<RegVariant> result;
  int errorNumber = 0;
};

std::wstring DecodedLeadingBytes(CodePage codePage, const ByteArray& buffer, std::int64_t count) {
  if (count <= 0) {
    return {};
  }
  return FromCodePage(codePage, std::string(buffer.begin(), buffer.begin() + count));
}

Outcome ExpectedValue(const FuzzedRegistry& registry, CodePage codePage,
                      const std::optional<RegVariant>& defaultValue) {
  if (registry.openResults.front() != kErrorSuccess) {
    Check(registry.queries.empty(), "nothing is queried when the open fails");
    return {defaultValue.value_or(RegVariant(Empty{})), 0};
  }
  const FuzzedRegistry::Query& first = registry.queries.at(0);
  if (first.status == kErrorMoreData && static_cast<std::int32_t>(first.size) < 0) {
    Check(registry.queries.size() == 1, "no buffer of a negative size is queried");
    return {std::nullopt, kOverflow};
  }
  Check(registry.queries.size() == (first.status == kErrorMoreData ? 2U : 1U),
        "exactly one more query after 'more data'");
  const FuzzedRegistry::Query& last = registry.queries.back();
  const ByteArray& buffer = last.buffer;
  const std::int64_t size =
      std::min<std::int64_t>(static_cast<std::int32_t>(last.size), std::int64_t(buffer.size()));
  const auto stringOf = [&](std::int64_t dropped) -> Outcome {
    if (size - dropped < std::numeric_limits<std::int32_t>::min()) {
      return {std::nullopt, kOverflow};
    }
    return {RegVariant(DecodedLeadingBytes(codePage, buffer, size - dropped)), 0};
  };
  switch (last.type) {
    case kRegSz:
    case kRegExpandSz:
      return stringOf(1);
    case kRegMultiSz:
      return stringOf(2);
    case kRegBinary:
      return {
          RegVariant(ByteArray(buffer.begin(), buffer.begin() + std::max<std::int64_t>(size, 0))),
          0};
    case kRegDword: {
      std::uint32_t number = 0;
      for (std::size_t index = 0; index < 4 && index < buffer.size(); ++index) {
        number |= std::uint32_t{buffer[index]} << (8 * index);
      }
      return {RegVariant(static_cast<std::int32_t>(number)), 0};
    }
    default:
      return {std::nullopt, kUnsupportedValueType};
  }
}

Outcome ExpectedSubKeys(const FuzzedRegistry& registry, CodePage codePage,
                        std::vector<std::wstring>& names) {
  std::set<std::wstring> folded;
  for (const std::string& raw : registry.enumeratedNames) {
    std::wstring name = FromCodePage(codePage, raw);
    name.resize(std::min(name.size(), name.find(L'\0')));
    if (!folded.insert(FoldedName(name)).second) {
      return {std::nullopt, kDuplicateKey};
    }
    names.push_back(name);
  }
  return {};
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
}  // namespace tq

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  tq::FuzzOnce(input);
  return 0;
}
