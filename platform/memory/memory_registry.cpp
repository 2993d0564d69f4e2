#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/memory/memory_registry_tree.h"

namespace tq {

MemoryRegistry::MemoryRegistry(FaultPlan& faults, CodePage codePage)
    : faults_(faults),
      codePage_(codePage),
      localMachine_(std::make_unique<Key>()),
      localMachine64BitView_(std::make_unique<Key>()),
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
  Key* key = parent == kHkeyLocalMachine && (access & kKeyWow64_64Key) != 0
                 ? localMachine64BitView_.get()
                 : KeyOf(parent);
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

void MemoryRegistry::ChangeAfterQuery(std::size_t callNumber,
                                      std::function<void(MemoryRegistry&)> change) {
  changesAfterQuery_[callNumber] = std::move(change);
}

}  // namespace tq
