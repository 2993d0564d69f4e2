#pragma once

#include <cstdint>
#include <string>

#include "registry/forwarding_registry.h"

namespace tq {

// The registry as a 64-bit program sees it: every key opened in the 64-bit
// view, where 64-bit runtimes register, whatever this program's build.
class RegistryIn64BitView final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override {
    return ForwardingRegistry::OpenKey(parent, path, options, access | kKeyWow64_64Key, result);
  }
};

}  // namespace tq
