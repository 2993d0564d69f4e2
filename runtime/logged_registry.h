#pragma once

#include <map>
#include <string>

#include "interfaces/registry_provider.h"

namespace tq {

class DecisionLog;

// The registry as discovery reads it, with every key it opens, or fails to
// open, written to the decision log by its full name. Passes every call on
// unchanged: with the log off it changes nothing.
class LoggedRegistry final : public RegistryProvider {
 public:
  LoggedRegistry(RegistryProvider& registry, DecisionLog& log) : registry_(registry), log_(log) {}

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override;
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override {
    return registry_.EnumKey(key, index, name, nameSize);
  }
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    return registry_.QueryValue(key, valueName, reserved, type, data, size);
  }
  std::int32_t CloseKey(KeyHandle key) override;
  std::string ToAnsi(const std::wstring& text) override { return registry_.ToAnsi(text); }
  std::wstring FromAnsi(const std::string& bytes) override { return registry_.FromAnsi(bytes); }

 private:
  struct KeyName {
    std::wstring name;
    // Opened in the 64-bit view, or below a key that was.
    bool view64Bit = false;
  };

  KeyName NameOf(KeyHandle key);

  RegistryProvider& registry_;
  DecisionLog& log_;
  // The full names of the keys opened and not yet closed.
  std::map<KeyHandle, KeyName> names_;
};

}  // namespace tq
