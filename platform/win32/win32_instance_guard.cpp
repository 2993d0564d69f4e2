#include "platform/win32/win32_instance_guard.h"

#include <cstdint>
#include <vector>

#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

std::wstring InstanceGuardName(const std::wstring& launcherFolder) {
  // A kernel object's name holds no backslash and is short: the folder goes
  // in as a hash of its upper-cased letters.
  std::vector<wchar_t> folder(launcherFolder.begin(), launcherFolder.end());
  if (!folder.empty()) {
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
  }
  std::uint64_t hash = 0xCBF29CE484222325ULL;  // FNV-1a, 64 bits
  for (const wchar_t c : folder) {
    for (const auto byte :
         {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)}) {
      hash = (hash ^ byte) * 0x100000001B3ULL;
    }
  }
  std::wstring name = L"Global\\TovaneQuillon.SingleInstance.";
  for (int shift = 60; shift >= 0; shift -= 4) {
    name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  }
  return name;
}

bool Win32InstanceGuard::Claim(const std::wstring& launcherFolder) {
  SECURITY_ATTRIBUTES inheritable{};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  UniqueHandle mutex(CreateMutexW(&inheritable, FALSE, InstanceGuardName(launcherFolder).c_str()));
  const DWORD code = GetLastError();
  if (mutex && code == ERROR_ALREADY_EXISTS) {
    return false;
  }
  if (!mutex) {
    // Another user's guard, which this user may not open.
    if (code == ERROR_ACCESS_DENIED) {
      return false;
    }
    throw ErrorFromWin32(code);
  }
  held_ = std::move(mutex);
  return true;
}

}  // namespace tq
