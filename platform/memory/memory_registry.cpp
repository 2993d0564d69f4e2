#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "registry/name_case.h"

namespace tq {
namespace {

std::vector<std::wstring_view> PathParts(std::wstring_view path) {
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

}  // namespace

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

MemoryRegistry::MemoryRegistry(FaultPlan& faults, CodePage codePage)
    : faults_(faults),
      codePage_(codePage),
      localMachine_(std::make_unique<Key>()),
      currentUser_(std::make_unique<Key>()) {}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key* MemoryRegistry::KeyOf(KeyHandle handle) const {
  if (handle == kHkeyLocalMachine) {
    return localMachine_.get();
  }
  if (handle == kHkeyCurrentUser) {
    return currentUser_.get();
  }
  const auto found = handles_.find(handle);
  return found == handles_.end() ? nullptr : found->second;
}

std::int32_t MemoryRegistry::Count(Operation operation) {
  const Fault* fault = faults_.CountCall(operation);
  return fault == nullptr ? kErrorSuccess : fault->code;
}

std::int32_t MemoryRegistry::Record(Call call) {
  const std::int32_t result = call.result;
  if (keepCallLog_) {
    calls_.push_back(std::move(call));
  }
  return result;
}

std::int32_t MemoryRegistry::OpenKey(KeyHandle parent, const std::string& path,
                                     std::uint32_t /*options*/, std::uint32_t access,
                                     KeyHandle* result) {
  const auto answer = [&](std::int32_t code) {
    return Record({kOpenKey, parent, path, access, 0, code});
  };
  if (const std::int32_t failure = Count(kOpenKey); failure != kErrorSuccess) {
    return answer(failure);
  }
  Key* key = KeyOf(parent);
  if (key == nullptr) {
    return answer(kErrorInvalidHandle);
  }
  if (result == nullptr) {
    return answer(kErrorInvalidParameter);
  }
  const std::wstring widePath = FromAnsi(path);
  for (const std::wstring_view part : PathParts(widePath)) {
    key = key->SubKey(part);
    if (key == nullptr) {
      return answer(kErrorFileNotFound);
    }
  }
  if (!key->readable) {
    return answer(kErrorAccessDenied);
  }
  *result = nextHandle_;
  handles_.emplace(nextHandle_, key);
  // Handles are never reused, so a closed one stays invalid.
  nextHandle_ += 4;
  return answer(kErrorSuccess);
}

std::int32_t MemoryRegistry::EnumKey(KeyHandle key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
  const auto answer = [&](std::int32_t code) {
    return Record({kEnumKey, key, {}, index, nameSize, code});
  };
  if (const std::int32_t failure = Count(kEnumKey); failure != kErrorSuccess) {
    return answer(failure);
  }
  const Key* parent = KeyOf(key);
  if (parent == nullptr) {
    return answer(kErrorInvalidHandle);
  }
  if (name == nullptr) {
    return answer(kErrorInvalidParameter);
  }
  if (index >= parent->subKeys.size()) {
    return answer(kErrorNoMoreItems);
  }
  const std::string ansiName = ToAnsi(parent->subKeys[index]->name);
  if (ansiName.size() + 1 > nameSize) {
    return answer(kErrorMoreData);
  }
  std::memcpy(name, ansiName.data(), ansiName.size());
  name[ansiName.size()] = '\0';
  return answer(kErrorSuccess);
}

std::int32_t MemoryRegistry::QueryValue(KeyHandle key, const std::string& valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  const std::uint32_t sizeOnEntry = size == nullptr ? 0 : *size;
  const auto answer = [&](std::int32_t code) {
    const std::int32_t result = Record({kQueryValue, key, valueName, 0, sizeOnEntry, code});
    const auto change = changesAfterQuery_.find(faults_.Calls(kQueryValue));
    if (change != changesAfterQuery_.end()) {
      change->second(*this);
    }
    return result;
  };
  if (const std::int32_t failure = Count(kQueryValue); failure != kErrorSuccess) {
    return answer(failure);
  }
  Key* parent = KeyOf(key);
  if (parent == nullptr) {
    return answer(kErrorInvalidHandle);
  }
  if (reserved != nullptr || (data != nullptr && size == nullptr)) {
    return answer(kErrorInvalidParameter);
  }
  const auto value = parent->FindValue(FromAnsi(valueName));
  if (value == parent->values.end()) {
    return answer(kErrorFileNotFound);
  }
  if (type != nullptr) {
    *type = value->type;
  }
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (size == nullptr) {
    return answer(kErrorSuccess);
  }
  if (data != nullptr && *size < needed) {
    *size = needed;
    return answer(kErrorMoreData);
  }
  if (data != nullptr) {
    std::copy(value->data.begin(), value->data.end(), data);
  }
  *size = needed;
  return answer(kErrorSuccess);
}

std::int32_t MemoryRegistry::CloseKey(KeyHandle key) {
  const auto answer = [&](std::int32_t code) { return Record({kCloseKey, key, {}, 0, 0, code}); };
  if (const std::int32_t failure = Count(kCloseKey); failure != kErrorSuccess) {
    return answer(failure);
  }
  if (key == kHkeyLocalMachine || key == kHkeyCurrentUser) {
    return answer(kErrorSuccess);
  }
  return answer(handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle);
}

std::string MemoryRegistry::ToAnsi(const std::wstring& text) { return ToCodePage(codePage_, text); }

std::wstring MemoryRegistry::FromAnsi(const std::string& bytes) {
  return FromCodePage(codePage_, bytes);
}

MemoryRegistry::Key& MemoryRegistry::KeyAt(KeyHandle key, std::wstring_view path) {
  Key* current = KeyOf(key);
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

void MemoryRegistry::ChangeAfterQuery(std::size_t callNumber,
                                      std::function<void(MemoryRegistry&)> change) {
  changesAfterQuery_[callNumber] = std::move(change);
}

}  // namespace tq
