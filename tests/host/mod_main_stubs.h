#pragma once

#include <cstdint>
#include <string>

#include "common/error.h"
#include "interfaces/number_conversion.h"
#include "interfaces/registry_provider.h"

namespace tq {

// A registry with no keys, for ModMain tests that never look for a runtime.
class NoRegistry final : public RegistryProvider {
 public:
  std::int32_t OpenKey(KeyHandle /*parent*/, const std::string& /*path*/, std::uint32_t /*options*/,
                       std::uint32_t /*access*/, KeyHandle* /*result*/) override {
    return kErrorFileNotFound;
  }
  std::int32_t EnumKey(KeyHandle /*key*/, std::uint32_t /*index*/, char* /*name*/,
                       std::uint32_t /*nameSize*/) override {
    return kErrorNoMoreItems;
  }
  std::int32_t QueryValue(KeyHandle /*key*/, const std::string& /*valueName*/,
                          std::uint32_t* /*reserved*/, std::uint32_t* /*type*/,
                          std::uint8_t* /*data*/, std::uint32_t* /*size*/) override {
    return kErrorFileNotFound;
  }
  std::int32_t CloseKey(KeyHandle /*key*/) override { return kErrorSuccess; }
  std::string ToAnsi(const std::wstring& text) override { return {text.begin(), text.end()}; }
  std::wstring FromAnsi(const std::string& bytes) override { return {bytes.begin(), bytes.end()}; }
};

// A number conversion that reads nothing.
class NoNumbers final : public NumberConversion {
 public:
  double ToDouble(const std::wstring& /*text*/) override { throw TypeMismatch(); }
};

}  // namespace tq
