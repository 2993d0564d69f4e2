#include "platform/win32/hardening.h"

#include "platform/win32/windows_api.h"

namespace tq {
namespace {

// Windows XP and Windows 7 without KB2533623 lack it.
using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);

void SearchOnlyTheSystemFolder() noexcept {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) {
    return;
  }
  if (auto* setDefaultDllDirectories = ProcedureAddress<SetDefaultDllDirectoriesFunction>(
          kernel32, "SetDefaultDllDirectories")) {
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

void LeaveCurrentFolderOutOfDllSearch() noexcept { SetDllDirectoryW(L""); }

}  // namespace

void RestrictDllSearch() noexcept {
  SearchOnlyTheSystemFolder();
  LeaveCurrentFolderOutOfDllSearch();
}

// HeapSetInformation itself is in every kernel32 since Windows XP; an XP
// before SP3 accepts the class and ignores it.
void EndProcessOnHeapCorruption() noexcept {
  HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
}

DefaultDllSearchForChildren::DefaultDllSearchForChildren() noexcept { SetDllDirectoryW(nullptr); }

DefaultDllSearchForChildren::~DefaultDllSearchForChildren() { LeaveCurrentFolderOutOfDllSearch(); }

}  // namespace tq
