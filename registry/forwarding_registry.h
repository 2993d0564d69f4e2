#pragma once

// A registry provider that passes every call on to another one, so one that
// changes or watches a few calls overrides only those and calls
// ForwardingRegistry's for the rest: the 64-bit view of the runtime search,
// and the tests' registries that fail or watch a call.

#include <cstdint>
#include <string>

#include "interfaces/registry_provider.h"

namespace tq {

class ForwardingRegistry : public RegistryProvider {
 public:
  explicit ForwardingRegistry(RegistryProvider& inner) : inner_(inner) {}

  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override {
    return inner_.OpenKey(parent, path, options, access, result);
  }
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override {
    return inner_.EnumKey(key, index, name, nameSize);
  }
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    return inner_.QueryValue(key, valueName, reserved, type, data, size);
  }
  std::int32_t CloseKey(KeyHandle key) override { return inner_.CloseKey(key); }
  std::string ToAnsi(const std::wstring& text) override { return inner_.ToAnsi(text); }
  std::wstring FromAnsi(const std::string& bytes) override { return inner_.FromAnsi(bytes); }

 private:
  RegistryProvider& inner_;
};

}  // namespace tq
