#pragma once

// What the registry read helpers must make of what the fuzzed registry
// answered, worked out from its records alone.

#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzzed_registry.h"
#include "platform/memory/code_pages.h"
#include "registry/m_registry.h"

namespace tq::fuzz {

// What a call is expected to give: a result or an error number.
struct Outcome {
  std::optional<RegVariant> result;
  int errorNumber = 0;
};

// RegGetValue's result or error.
Outcome ExpectedValue(const FuzzedRegistry& registry, CodePage codePage,
                      const std::optional<RegVariant>& defaultValue);

// RegEnumSubKeys' error, if any, and the names it must give.
Outcome ExpectedSubKeys(const FuzzedRegistry& registry, CodePage codePage,
                        std::vector<std::wstring>& names);

}  // namespace tq::fuzz
