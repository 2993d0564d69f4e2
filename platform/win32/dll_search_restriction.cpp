#include "platform/win32/dll_search_restriction.h"

#include "platform/win32/windows_api.h"

namespace tq {
namespace {

// Found at run time: Windows XP and Windows 7 without KB2533623 lack it,
// and a program that imports it does not start there at all.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

void SearchOnlyTheSystemFolder() noexcept {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) {
    return;
  }
  // Through void (*)(): the one function type GCC lets any other be cast
  // to and from without a warning.
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories != nullptr) {
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

}  // namespace

void LeaveCurrentFolderOutOfDllSearch() noexcept { SetDllDirectoryW(L""); }

void RestrictDllSearch() noexcept {
  SearchOnlyTheSystemFolder();
  LeaveCurrentFolderOutOfDllSearch();
}

}  // namespace tq
