#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/win32/windows_api.h"

namespace tq {

// The launcher's error for a failed Win32 call: the well-known numbers for
// a missing file or path and a refused access, otherwise the call's
// HRESULT as number and the system's own message text.
Error ErrorFromWin32(DWORD code);

// Raises ErrorFromWin32 for the calling thread's last error when `failed`,
// for calls whose result tells whether they failed and that leave their
// reason there: ThrowLastErrorIf(!SetCurrentDirectoryW(folder.c_str())).
void ThrowLastErrorIf(bool failed);

// The text a Win32 call writes into a buffer it is given with its size in
// characters. The call gives the length written when the text fits, else
// the size it needs (or, as GetModuleFileNameW, the size it was given), and
// 0 when it fails; the buffer grows until the text fits.
template <class Call>
std::wstring TextFromCall(Call call, std::size_t size = MAX_PATH) {
  std::vector<wchar_t> buffer(size);
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    ThrowLastErrorIf(length == 0);
    if (length < buffer.size()) {
      return buffer.data();
    }
    buffer.resize(std::max<std::size_t>(length, buffer.size() * 2));
  }
}

}  // namespace tq
