#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "interfaces/registry_provider.h"
#include "registry/sub_key_collection.h"

namespace tq {

struct Empty {
  friend bool operator==(Empty /*unused*/, Empty /*unused*/) = default;
};
using ByteArray = std::vector<std::uint8_t>;

// The result of RegGetValue: Empty, String, Int32 or ByteArray.
using RegVariant = std::variant<Empty, std::wstring, std::int32_t, ByteArray>;

// True when keyPath below root can be opened for reading.
bool RegKeyExists(RegistryProvider& registry, KeyHandle root, std::wstring keyPath);

// The names of keyPath's direct subkeys in enumeration order; an empty
// keyPath enumerates root itself. A key that cannot be opened gives an
// empty collection.
SubKeyCollection RegEnumSubKeys(RegistryProvider& registry, KeyHandle root, std::wstring keyPath);

// Reads one value. The default (or Empty) is returned only when the key
// cannot be opened; a missing value or an unsupported type raises 1001.
RegVariant RegGetValue(RegistryProvider& registry, KeyHandle root, std::wstring keyPath,
                       std::wstring valueName,
                       std::optional<RegVariant> defaultValue = std::nullopt);

}  // namespace tq
