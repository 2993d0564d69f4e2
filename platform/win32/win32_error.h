#pragma once

#include "common/error.h"
#include "platform/win32/windows_api.h"

namespace tq {

// The launcher's error for a failed Win32 call: the well-known numbers for
// a missing file or path and a refused access, otherwise the call's
// HRESULT as number and the system's own message text.
Error ErrorFromWin32(DWORD code);

// Raises ErrorFromWin32 for the calling thread's last error: for a call that
// has just failed and left its reason there.
[[noreturn]] void ThrowLastError();

// ThrowLastError when `failed`, for calls whose result tells whether they
// failed: ThrowLastErrorIf(!SetCurrentDirectoryW(folder.c_str())).
inline void ThrowLastErrorIf(bool failed) {
  if (failed) {
    ThrowLastError();
  }
}

// The system's message text for a Win32 error code, without the line break
// at its end.
std::wstring SystemMessage(DWORD code);

}  // namespace tq
