#pragma once

#include <map>
#include <string>

#include "registry/forwarding_registry.h"

namespace tq {

class DecisionLog;

// The registry as discovery reads it, with every key it opens, or fails to
// open, written to the decision log by its full name. Passes every call on
// unchanged: with the log off it changes nothing.
class LoggedRegistry final : public ForwardingRegistry {
 public:
  LoggedRegistry(RegistryProvider& registry, DecisionLog& log)
      : ForwardingRegistry(registry), log_(log) {}

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override;
  std::int32_t CloseKey(KeyHandle key) override;

 private:
  struct KeyName {
    std::wstring name;
    // Opened in the 64-bit view, or below a key that was.
    bool view64Bit = false;
  };

  KeyName NameOf(KeyHandle key);

  DecisionLog& log_;
  // The full names of the keys opened and not yet closed.
  std::map<KeyHandle, KeyName> names_;
};

}  // namespace tq
