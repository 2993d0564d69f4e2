#include "runtime/logged_registry.h"

#include "common/decimal_text.h"
#include "runtime/decision_log.h"

namespace tq {

std::wstring LoggedRegistry::NameOf(KeyHandle key) {
  if (key == kHkeyLocalMachine) {
    return L"HKEY_LOCAL_MACHINE";
  }
  const auto found = names_.find(key);
  return found != names_.end() ? found->second
                               : L"(key " + DecimalText(static_cast<long long>(key)) + L")";
}

std::int32_t LoggedRegistry::OpenKey(KeyHandle parent, const std::string& path,
                                     std::uint32_t options, std::uint32_t access,
                                     KeyHandle* result) {
  const std::int32_t status = registry_.OpenKey(parent, path, options, access, result);
  if (!log_.IsOn()) {
    return status;
  }
  std::wstring name = NameOf(parent);
  if (!path.empty()) {
    name += L"\\" + registry_.FromAnsi(path);
  }
  if (status == kErrorSuccess && result != nullptr) {
    names_[*result] = name;
    log_.Write(L"registry key opened: " + name);
  } else {
    log_.Write(L"registry key not opened (error " + DecimalText(status) + L"): " + name);
  }
  return status;
}

std::int32_t LoggedRegistry::CloseKey(KeyHandle key) {
  names_.erase(key);
  return registry_.CloseKey(key);
}

}  // namespace tq
