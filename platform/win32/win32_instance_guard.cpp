#include "platform/win32/win32_instance_guard.h"

#include "common/letter_case.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

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
