#include "platform/win32/default_dll_search_for_children.h"

#include "platform/win32/dll_search_restriction.h"
#include "platform/win32/windows_api.h"

namespace tq {

DefaultDllSearchForChildren::DefaultDllSearchForChildren() noexcept { SetDllDirectoryW(nullptr); }

DefaultDllSearchForChildren::~DefaultDllSearchForChildren() { LeaveCurrentFolderOutOfDllSearch(); }

}  // namespace tq
