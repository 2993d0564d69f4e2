#include "runtime/logged_registry.h"

#include <utility>

#include "common/decimal_text.h"
#include "runtime/decision_log.h"

namespace tq {

LoggedRegistry::KeyName LoggedRegistry::NameOf(KeyHandle key) {
  if (key == kHkeyLocalMachine) {
    return {L"HKEY_LOCAL_MACHINE"};
  }
  if (key == kHkeyCurrentUser) {
    return {L"HKEY_CURRENT_USER"};
  }
  const auto found = names_.find(key);
  return found != names_.end()
             ? found->second
             : KeyName{L"(key " + DecimalText(static_cast<long long>(key)) + L")"};
}

std::int32_t LoggedRegistry::OpenKey(KeyHandle parent, const std::string& path,
                                     std::uint32_t options, std::uint32_t access,
                                     KeyHandle* result) {
  const std::int32_t status = ForwardingRegistry::OpenKey(parent, path, options, access, result);
  if (!log_.IsOn()) {
    return status;
  }
  KeyName key = NameOf(parent);
  if (!path.empty()) {
    key.name += L"\\" + FromAnsi(path);
  }
  key.view64Bit = key.view64Bit || (access & kKeyWow64_64Key) != 0;
  const std::wstring shown = key.name + (key.view64Bit ? L" (64-bit view)" : L"");
  if (status == kErrorSuccess && result != nullptr) {
    names_[*result] = std::move(key);
    log_.Write(L"registry key opened: " + shown);
  } else {
    log_.Write(L"registry key not opened (error " + DecimalText(status) + L"): " + shown);
  }
  return status;
}

std::int32_t LoggedRegistry::CloseKey(KeyHandle key) {
  names_.erase(key);
  return ForwardingRegistry::CloseKey(key);
}

}  // namespace tq
