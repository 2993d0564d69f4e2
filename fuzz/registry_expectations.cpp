#include "fuzz/registry_expectations.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#include "common/error.h"
#include "common/letter_case.h"
#include "fuzz/fuzz_check.h"

namespace tq::fuzz {
namespace {

std::wstring DecodedLeadingBytes(CodePage codePage, const ByteArray& buffer, std::int64_t count) {
  if (count <= 0) {
    return {};
  }
  return FromCodePage(codePage, std::string(buffer.begin(), buffer.begin() + count));
}

}  // namespace

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

}  // namespace tq::fuzz
