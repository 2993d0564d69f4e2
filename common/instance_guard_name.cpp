#include "common/instance_guard_name.h"

#include <cstdint>

#include "common/letter_case.h"
#include "common/unicode_text.h"

namespace tq {

std::wstring InstanceGuardName(const std::wstring& launcherFolder) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (const wchar_t c : FoldedName(launcherFolder)) {
    const std::uint32_t unit = CodeUnit(c);
    for (const std::uint32_t byte : {unit & 0xFFU, (unit >> 8) & 0xFFU}) {
      hash = (hash ^ byte) * 0x100000001B3ULL;
    }
  }
  std::wstring name = L"Global\\TovaneQuillon.SingleInstance.";
  for (int shift = 60; shift >= 0; shift -= 4) {
    name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  }
  return name;
}

}  // namespace tq
