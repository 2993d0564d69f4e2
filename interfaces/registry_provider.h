#pragma once

#include <cstdint>
#include <string>

namespace tq {

// An opaque handle of an open registry key, or a predefined root: as wide as
// a pointer, like the platform's HKEY (32 bits in the launcher we ship, 64 in
// its 64-bit build).
using KeyHandle = std::uintptr_t;

// A predefined root as the platform defines it: its 32-bit code sign-extended
// to the width of a handle, so HKEY_LOCAL_MACHINE is 0x80000002 in a 32-bit
// program and 0xFFFFFFFF80000002 in a 64-bit one.
constexpr KeyHandle PredefinedRoot(std::uint32_t code) {
  return static_cast<KeyHandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(code)));
}

inline constexpr KeyHandle kHkeyCurrentUser = PredefinedRoot(0x80000001U);
inline constexpr KeyHandle kHkeyLocalMachine = PredefinedRoot(0x80000002U);
inline constexpr std::uint32_t kKeyRead = 0x20019U;

// Access flags that choose a registry view on 64-bit Windows, where
// HKLM\SOFTWARE holds one tree for 64-bit programs and one for 32-bit ones.
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100U;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200U;

// Registry result codes, as the platform numbers them.
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorMoreData = 234;
inline constexpr std::int32_t kErrorNoMoreItems = 259;

// Value types, in the registry's numbering.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// The registry operations the read helpers are written against, in the form
// of the ANSI advapi32 calls, plus the system code page conversions. One
// implementation talks to advapi32, another keeps a registry in memory.
class RegistryProvider {
 public:
  virtual ~RegistryProvider() = default;

  // RegOpenKeyExA(parent, path, options, access, result). `access` may name
  // a registry view (kKeyWow64_64Key or kKeyWow64_32Key); when it names
  // none, the 32-bit view is read, as the launcher always has.
  virtual std::int32_t OpenKey(KeyHandle parent, const std::string& path, std::uint32_t options,
                               std::uint32_t access, KeyHandle* result) = 0;

  // RegEnumKeyA(key, index, name, nameSize).
  virtual std::int32_t EnumKey(KeyHandle key, std::uint32_t index, char* name,
                               std::uint32_t nameSize) = 0;

  // RegQueryValueExA(key, valueName, reserved, type, data, size).
  virtual std::int32_t QueryValue(KeyHandle key, const std::string& valueName,
                                  std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* size) = 0;

  // RegCloseKey(key).
  virtual std::int32_t CloseKey(KeyHandle key) = 0;

  // Conversions between the program's text and the system's ANSI code page.
  virtual std::string ToAnsi(const std::wstring& text) = 0;
  virtual std::wstring FromAnsi(const std::string& bytes) = 0;
};

}  // namespace tq
