#pragma once

// An open registry key, closed once when its owner goes.

#include "platform/win32/windows_api.h"

namespace tq::e2e {

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() {
    if (key_ != nullptr) {
      RegCloseKey(key_);
    }
  }

  // For the call that opens or creates the key.
  HKEY* out() noexcept { return &key_; }
  [[nodiscard]] HKEY get() const noexcept { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace tq::e2e
