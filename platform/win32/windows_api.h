#pragma once

// The one way into the Windows headers for the Win32 layer. The headers
// define some function names as macros for their A/W variants, and a few of
// those are names of our own (the registry reader RegGetValue, the file
// system's CopyFile): left defined, a file that includes both would silently
// call something else. Our own headers never include Windows headers.
// Also the one way to a function that a system may lack.

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#undef RegGetValue
#undef CopyFile

namespace tq {

// A function of a loaded DLL, found by its name at run time, for what a
// system may lack (a program that imports it does not start there). Function
// is its type with its calling convention: WINAPI for nearly every Windows
// function, without which a 32-bit call corrupts the stack. Null when the DLL
// has no such function.
template <class Function>
Function* ProcedureAddress(HMODULE module, const char* name) noexcept {
  // Through void (*)(): the one function type GCC lets any other be cast to
  // and from without a warning.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tq
