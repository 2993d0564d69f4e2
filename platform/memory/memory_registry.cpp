#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/memory/memory_registry_tree.h"

namespace tq {

namespace {

// What a call answers: the code the plan fails it with, or else what the
// call finds (a fault planned with kErrorSuccess fails nothing).
template <class Answer>
std::int32_t Planned(FaultPlan& faults, Operation operation, Answer answer) {
  const Fault* fault = faults.CountCall(operation);
  return fault == nullptr || fault->code == kErrorSuccess ? answer() : fault->code;
}

}  // namespace

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
  const std::int32_t code = Planned(faults_, kOpenKey, [&] {
    Key* key = parent == kHkeyLocalMachine && (access & kKeyWow64_64Key) != 0
                   ? localMachine64BitView_.get()
                   : KeyOf(parent);
    if (key == nullptr) {
      return kErrorInvalidHandle;
    }
    if (result == nullptr) {
      return kErrorInvalidParameter;
    }
    const std::wstring widePath = FromAnsi(path);
    for (const std::wstring_view part : PathParts(widePath)) {
      key = key->SubKey(part);
      if (key == nullptr) {
        return kErrorFileNotFound;
      }
    }
    if (!key->readable) {
      return kErrorAccessDenied;
    }
    *result = nextHandle_;
    handles_.emplace(nextHandle_, key);
    // Handles are never reused, so a closed one stays invalid.
    nextHandle_ += 4;
    return kErrorSuccess;
  });
  return Record({kOpenKey, parent, path, access, 0, code});
}

std::int32_t MemoryRegistry::EnumKey(KeyHandle key, std::uint32_t index, char* name,
                                     std::uint32_t nameSize) {
  const std::int32_t code = Planned(faults_, kEnumKey, [&] {
    const Key* parent = KeyOf(key);
    if (parent == nullptr) {
      return kErrorInvalidHandle;
    }
    if (name == nullptr) {
      return kErrorInvalidParameter;
    }
    if (index >= parent->subKeys.size()) {
      return kErrorNoMoreItems;
    }
    const std::string ansiName = ToAnsi(parent->subKeys[index]->name);
    if (ansiName.size() + 1 > nameSize) {
      return kErrorMoreData;
    }
    std::memcpy(name, ansiName.c_str(), ansiName.size() + 1);
    return kErrorSuccess;
  });
  return Record({kEnumKey, key, {}, index, nameSize, code});
}

std::int32_t MemoryRegistry::QueryValue(KeyHandle key, const std::string& valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  const std::uint32_t sizeOnEntry = size == nullptr ? 0 : *size;
  const std::int32_t code = Planned(faults_, kQueryValue, [&] {
    Key* parent = KeyOf(key);
    if (parent == nullptr) {
      return kErrorInvalidHandle;
    }
    if (reserved != nullptr || (data != nullptr && size == nullptr)) {
      return kErrorInvalidParameter;
    }
    const auto value = parent->FindValue(FromAnsi(valueName));
    if (value == parent->values.end()) {
      return kErrorFileNotFound;
    }
    if (type != nullptr) {
      *type = value->type;
    }
    if (size == nullptr) {
      return kErrorSuccess;
    }
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    const bool fits = *size >= needed;
    if (data != nullptr && fits) {
      std::copy(value->data.begin(), value->data.end(), data);
    }
    *size = needed;
    return data == nullptr || fits ? kErrorSuccess : kErrorMoreData;
  });
  const std::int32_t result = Record({kQueryValue, key, valueName, 0, sizeOnEntry, code});
  const auto change = changesAfterQuery_.find(faults_.Calls(kQueryValue));
  if (change != changesAfterQuery_.end()) {
    change->second(*this);
  }
  return result;
}

std::int32_t MemoryRegistry::CloseKey(KeyHandle key) {
  const std::int32_t code = Planned(faults_, kCloseKey, [&] {
    const bool root = key == kHkeyLocalMachine || key == kHkeyCurrentUser;
    return root || handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
  });
  return Record({kCloseKey, key, {}, 0, 0, code});
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
