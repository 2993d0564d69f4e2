#pragma once

// The one way into the Windows headers for the Win32 layer. The headers
// define some function names as macros for their A/W variants, and a few of
// those are names of our own (the registry reader RegGetValue, the file
// system's CopyFile): left defined, a file that includes both would silently
// call something else. Our own headers never include Windows headers.

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#undef RegGetValue
#undef CopyFile
