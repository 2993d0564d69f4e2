#include "platform/win32/win32_instance_guard.h"

#include "common/letter_case.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

bool Win32InstanceGuard::Claim(const std::wstring& launcherFolder) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  UniqueHandle mutex(CreateMutexW(&inheritable, FALSE, InstanceGuardName(launcherFolder).c_str()));
  const DWORD code = GetLastError();
  if (!mutex && code != ERROR_ACCESS_DENIED) {
    throw ErrorFromWin32(code);
  }
  // Held already: by another launcher, or by another user, whose guard this
  // user may not open.
  if (!mutex || code == ERROR_ALREADY_EXISTS) {
    return false;
  }
  held_ = std::move(mutex);
  return true;
}

}  // namespace tq
