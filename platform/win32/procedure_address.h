#pragma once

#include "platform/win32/windows_api.h"

namespace tq {

// A function of a loaded DLL, found by its name at run time: for what a
// system may lack, which a program that imports it would not even start
// without. Function is its type, with its calling convention: WINAPI for
// nearly every Windows function, without which a 32-bit call corrupts the
// stack. Null when the DLL has no such function.
template <class Function>
Function* ProcedureAddress(HMODULE module, const char* name) noexcept {
  // Through void (*)(): the one function type GCC lets any other be cast to
  // and from without a warning.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tq
