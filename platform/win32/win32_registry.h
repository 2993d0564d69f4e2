#pragma once

#include "interfaces/registry_provider.h"

namespace tq {

// The registry of the running system through advapi32's ANSI calls, with
// text converted in the system's ANSI code page (CP_ACP).
class Win32Registry final : public RegistryProvider {
 public:
  std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                       std::uint32_t access, KeyHandle* result) override;
  std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                       std::uint32_t nameSize) override;
  std::int32_t QueryValue(KeyHandle key, const std::string& valueName, std::uint32_t* reserved,
                          std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t CloseKey(KeyHandle key) override;
  std::string ToAnsi(const std::wstring& text) override;
  std::wstring FromAnsi(const std::string& bytes) override;
};

}  // namespace tq
