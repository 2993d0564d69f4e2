#pragma once

#include <string>

namespace tq {

// The name of the single-instance guard of a launcher folder, a named object
// of the machine ("Global\TovaneQuillon.SingleInstance." and 16 hex digits).
// Windows takes "C:\App" and "c:\app" for one folder, so the folder's
// letters are folded first (common/letter_case.h); an object's name holds no
// backslash and is short, so the folder goes in as a 64-bit FNV-1a hash of
// its UTF-16 code units, low byte first. The launcher's Win32 guard and its
// in-memory double both name their guards so.
std::wstring InstanceGuardName(const std::wstring& launcherFolder);

}  // namespace tq
