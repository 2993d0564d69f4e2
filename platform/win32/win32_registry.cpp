#include "platform/win32/win32_registry.h"

#include <cstdint>

#include "platform/win32/ansi_text.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

// Key handles travel as numbers as wide as an HKEY, the predefined roots
// sign-extended as the Windows headers define them.
static_assert(sizeof(HKEY) == sizeof(KeyHandle), "a key handle must hold an HKEY");
static_assert(kKeyWow64_64Key == KEY_WOW64_64KEY && kKeyWow64_32Key == KEY_WOW64_32KEY);

HKEY ToHkey(KeyHandle key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }

KeyHandle FromHkey(HKEY key) {
  return static_cast<KeyHandle>(reinterpret_cast<std::uintptr_t>(key));
}

}  // namespace

std::int32_t Win32Registry::OpenKey(KeyHandle parent, const std::string& path,
                                    std::uint32_t options, std::uint32_t access,
                                    KeyHandle* result) {
  // The serial-port support DLL is 32-bit, so only a Java runtime registered
  // for 32-bit programs can serve: a key is read in the 32-bit view unless
  // the caller names a view, in the 64-bit build too. A 32-bit program on
  // 64-bit Windows reads that view anyway, and 32-bit Windows has no other
  // and ignores the flags.
  const std::uint32_t view =
      (access & (kKeyWow64_64Key | kKeyWow64_32Key)) != 0 ? 0 : KEY_WOW64_32KEY;
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(parent), path.c_str(), options, access | view, &opened);
  if (status == ERROR_SUCCESS && result != nullptr) {
    *result = FromHkey(opened);
  }
  return status;
}

std::int32_t Win32Registry::EnumKey(KeyHandle key, std::uint32_t index, char* name,
                                    std::uint32_t nameSize) {
  return RegEnumKeyA(ToHkey(key), index, name, nameSize);
}

std::int32_t Win32Registry::QueryValue(KeyHandle key, const std::string& valueName,
                                       std::uint32_t* reserved, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
  // DWORD and std::uint32_t are distinct types of the same width here; the
  // call works on copies and hands back whatever it wrote.
  DWORD reservedCopy = reserved == nullptr ? 0 : *reserved;
  DWORD typeCopy = type == nullptr ? 0 : *type;
  DWORD sizeCopy = size == nullptr ? 0 : *size;
  const LONG status = RegQueryValueExA(
      ToHkey(key), valueName.c_str(), reserved == nullptr ? nullptr : &reservedCopy,
      type == nullptr ? nullptr : &typeCopy, data, size == nullptr ? nullptr : &sizeCopy);
  if (type != nullptr) {
    *type = typeCopy;
  }
  if (size != nullptr) {
    *size = sizeCopy;
  }
  return status;
}

std::int32_t Win32Registry::CloseKey(KeyHandle key) { return RegCloseKey(ToHkey(key)); }

std::string Win32Registry::ToAnsi(const std::wstring& text) { return WideToAnsi(text); }

std::wstring Win32Registry::FromAnsi(const std::string& bytes) { return AnsiToWide(bytes); }

}  // namespace tq
