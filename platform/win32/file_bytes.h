#pragma once

#include <cstddef>
#include <string>

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq {

// Opens the file at path for reading while others may read, write and
// delete it (Notepad keeps none open). Invalid when it cannot be opened, with
// the reason in GetLastError.
UniqueHandle OpenToRead(const std::wstring& path);

// At most limit bytes from the file, from where it stands to its end;
// raises ErrorFromWin32 when a read fails.
std::string ReadUpTo(HANDLE file, std::size_t limit);

}  // namespace tq
