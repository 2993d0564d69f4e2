#include <stdexcept>
#include <utility>

#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_registry_tree.h"

namespace tq {

MemoryRegistry::Key& MemoryRegistry::KeyAt(KeyHandle key, std::wstring_view path) {
  Key* current = key == kHkeyLocalMachine64BitView ? localMachine64BitView_.get() : KeyOf(key);
  if (current == nullptr) {
    throw std::invalid_argument("not a root or an open key");
  }
  for (const std::wstring_view part : PathParts(path)) {
    Key* next = current->SubKey(part);
    current = next != nullptr ? next : &current->AddSubKey(part);
  }
  return *current;
}

void MemoryRegistry::CreateKey(KeyHandle key, std::wstring_view path) { KeyAt(key, path); }

void MemoryRegistry::SetValue(KeyHandle key, std::wstring_view path, std::wstring_view name,
                              std::uint32_t type, std::vector<std::uint8_t> data) {
  Key& parent = KeyAt(key, path);
  const auto value = parent.FindValue(name);
  if (value == parent.values.end()) {
    parent.values.push_back({std::wstring(name), type, std::move(data)});
  } else {
    value->type = type;
    value->data = std::move(data);
  }
}

void MemoryRegistry::SetString(KeyHandle key, std::wstring_view path, std::wstring_view name,
                               std::wstring_view text, std::uint32_t type) {
  const std::string bytes = ToCodePage(codePage_, text);
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  data.push_back(0);
  SetValue(key, path, name, type, std::move(data));
}

void MemoryRegistry::SetDword(KeyHandle key, std::wstring_view path, std::wstring_view name,
                              std::uint32_t number) {
  SetValue(key, path, name, kRegDword,
           {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
}

void MemoryRegistry::RemoveValue(KeyHandle key, std::wstring_view path, std::wstring_view name) {
  Key& parent = KeyAt(key, path);
  const auto value = parent.FindValue(name);
  if (value != parent.values.end()) {
    parent.values.erase(value);
  }
}

void MemoryRegistry::DenyRead(KeyHandle key, std::wstring_view path) {
  KeyAt(key, path).readable = false;
}

}  // namespace tq
