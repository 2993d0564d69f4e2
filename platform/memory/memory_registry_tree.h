#pragma once

// The keys and values of a MemoryRegistry, shared by its calls and by the
// methods that build it.

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/letter_case.h"
#include "platform/memory/memory_registry.h"

namespace tq {

struct MemoryRegistry::Value {
  std::wstring name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

struct MemoryRegistry::Key {
  std::wstring name;
  bool readable = true;
  std::vector<std::unique_ptr<Key>> subKeys;
  std::unordered_map<std::wstring, Key*> subKeysByName;
  std::vector<Value> values;

  Key* SubKey(std::wstring_view subKeyName) const {
    const auto found = subKeysByName.find(FoldedName(subKeyName));
    return found == subKeysByName.end() ? nullptr : found->second;
  }

  Key& AddSubKey(std::wstring_view subKeyName) {
    subKeys.push_back(std::make_unique<Key>());
    subKeys.back()->name = subKeyName;
    subKeysByName.emplace(FoldedName(subKeyName), subKeys.back().get());
    return *subKeys.back();
  }

  std::vector<Value>::iterator FindValue(std::wstring_view valueName) {
    const std::wstring folded = FoldedName(valueName);
    return std::find_if(values.begin(), values.end(),
                        [&](const Value& value) { return FoldedName(value.name) == folded; });
  }
};

// The names of a backslash-separated path, empty parts left out.
inline std::vector<std::wstring_view> PathParts(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  while (!path.empty()) {
    const std::size_t separator = path.find(L'\\');
    const std::wstring_view part = path.substr(0, separator);
    if (!part.empty()) {
      parts.push_back(part);
    }
    path = separator == std::wstring_view::npos ? std::wstring_view() : path.substr(separator + 1);
  }
  return parts;
}

}  // namespace tq
