#pragma once

// Owners of Windows handles and memory, one line a kind, after WIL's
// unique_any: each closes what it holds exactly once, when it goes or is
// given something else, and can be moved but not copied.

#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/win32/windows_api.h"

namespace tq {

// Holds a Handle and passes it to Close once, unless it is Nothing, what an
// empty owner holds, or one of the OtherInvalid values: those are given as
// numbers, since a pointer constant such as INVALID_HANDLE_VALUE cannot be a
// template argument.
template <typename Handle, auto Close, std::intptr_t Nothing, std::intptr_t... OtherInvalid>
class UniqueAny {
 public:
  UniqueAny() noexcept = default;
  explicit UniqueAny(Handle handle) noexcept : handle_(handle) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
  // Safe on itself too: the handle is given up before anything is closed.
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueAny() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept { return !IsInvalid(handle_); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives the handle up without closing it.
  Handle release() noexcept { return std::exchange(handle_, Empty()); }

  // Closes the handle held, then holds `handle`. The old handle is still
  // held while it closes, so that what its closing sends back (a window's
  // WM_DESTROY) finds it.
  void reset(Handle handle = Empty()) noexcept {
    if (valid()) {
      Close(handle_);
    }
    handle_ = handle;
  }

  // For a call that hands a new handle out through a pointer; closes the
  // handle held first.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  static Handle FromNumber(std::intptr_t number) noexcept {
    if constexpr (std::is_pointer_v<Handle>) {
      return reinterpret_cast<Handle>(number);
    } else {
      return static_cast<Handle>(number);
    }
  }
  static Handle Empty() noexcept { return FromNumber(Nothing); }
  static bool IsInvalid(Handle handle) noexcept {
    return handle == Empty() || ((handle == FromNumber(OtherInvalid)) || ...);
  }

  Handle handle_ = Empty();
};

// Kernel objects: files, processes, threads, snapshots. A failed call gives
// null or INVALID_HANDLE_VALUE, depending on the call.
using UniqueHandle = UniqueAny<HANDLE, &CloseHandle, 0, -1>;
using UniqueFindHandle = UniqueAny<HANDLE, &FindClose, -1>;
using UniqueHkey = UniqueAny<HKEY, &RegCloseKey, 0>;
using UniqueHglobal = UniqueAny<HGLOBAL, &GlobalFree, 0>;
using UniqueHlocal = UniqueAny<HLOCAL, &LocalFree, 0>;
using UniqueHmodule = UniqueAny<HMODULE, &FreeLibrary, 0>;
using UniqueHbrush = UniqueAny<HBRUSH, &DeleteObject, 0>;
using UniqueHbitmap = UniqueAny<HBITMAP, &DeleteObject, 0>;
// A device context made by CreateCompatibleDC or CreateDC.
using UniqueHdc = UniqueAny<HDC, &DeleteDC, 0>;
inline void ReleaseScreenDc(HDC dc) noexcept { ReleaseDC(nullptr, dc); }
// The screen's device context, from GetDC(nullptr).
using UniqueScreenDc = UniqueAny<HDC, &ReleaseScreenDc, 0>;
using UniqueHicon = UniqueAny<HICON, &DestroyIcon, 0>;
using UniqueHwnd = UniqueAny<HWND, &DestroyWindow, 0>;
using UniqueWinEventHook = UniqueAny<HWINEVENTHOOK, &UnhookWinEvent, 0>;

}  // namespace tq
