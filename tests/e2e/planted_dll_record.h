#pragma once

// What a marker DLL planted beside a program (planted_marker.cpp) writes
// when a process loads it, and the tests that look for it read. Kept free
// of Windows headers so both sides can include it.

namespace tq::e2e {

// Each load leaves "<the DLL's own path>.<pid>.loaded": the DLL's folder,
// its file name, the loading process's id. One "key: value" line a field,
// UTF-8.
inline constexpr wchar_t kPlantedRecordSuffix[] = L".loaded";

namespace planted_key {
inline constexpr char kProcess[] = "process";  // the loading process's program
inline constexpr char kPid[] = "pid";
inline constexpr char kWhen[] = "loaded";  // one of the two below
}  // namespace planted_key

// While the process's imports resolved, before any code of the program ran
// (DllMain's reserved argument is not null), or later, by name, from code
// running in the process (null).
inline constexpr char kLoadedWhileImportsResolve[] = "while imports resolve";
inline constexpr char kLoadedLater[] = "later";

}  // namespace tq::e2e
