#pragma once

#include <optional>
#include <string>

#include "interfaces/registry_provider.h"

namespace tq {

// A key handle that a helper opened itself: closed exactly once, by Close()
// or, on every other way out (an early return, an error), when it goes out of
// scope. The result of the close is of no use to anyone and is ignored.
class OpenedKey {
 public:
  // Opens path below parent for reading; nothing when the open fails,
  // whatever the reason.
  static std::optional<OpenedKey> Open(RegistryProvider& registry, KeyHandle parent,
                                       const std::string& path) {
    KeyHandle handle = 0;
    if (registry.OpenKey(parent, path, 0, kKeyRead, &handle) != kErrorSuccess) {
      return std::nullopt;
    }
    return OpenedKey(registry, handle);
  }

  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  OpenedKey(OpenedKey&& other) noexcept
      : registry_(other.registry_), handle_(other.handle_), open_(other.open_) {
    other.open_ = false;
  }
  OpenedKey& operator=(OpenedKey&&) = delete;
  ~OpenedKey() { Close(); }

  [[nodiscard]] KeyHandle get() const noexcept { return handle_; }

  void Close() noexcept {
    if (open_) {
      open_ = false;
      registry_.CloseKey(handle_);
    }
  }

 private:
  OpenedKey(RegistryProvider& registry, KeyHandle handle) : registry_(registry), handle_(handle) {}

  RegistryProvider& registry_;
  KeyHandle handle_;
  bool open_ = true;
};

}  // namespace tq
