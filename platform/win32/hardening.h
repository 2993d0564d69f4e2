#pragma once

namespace tq {

// A launcher is started from wherever it lies: a download, a shared folder,
// a USB stick. Windows looks for a DLL named without a path in the program's
// folder (and, on old systems, in the current folder) before the system
// folder, so a DLL that Windows loads by name while the launcher runs
// (uxtheme.dll at the first window, ...) could be one dropped beside it.
//
// Makes every DLL loaded by name from now on come from the system folder
// alone, where the system offers that (Windows 7 with KB2533623 and later),
// and leaves the current folder out of the search everywhere (Windows XP SP1
// and later). Call it first, before anything can load a DLL. Best effort: a
// system that refuses keeps its default search, as the launcher always did.
void RestrictDllSearch() noexcept;

// Ends the process the moment the heap manager finds a heap corrupted, on
// Windows XP SP3 and later (64-bit processes always).
void EndProcessOnHeapCorruption() noexcept;

// While it lives, the programs this process starts get the system's default
// DLL search, as the Java program always did: CreateProcess hands the DLL
// directory of SetDllDirectory down to a new process (its documentation says
// so; Wine does not). SetDefaultDllDirectories stays with the process that
// calls it. Afterwards the current folder is out of the search again.
class DefaultDllSearchForChildren {
 public:
  DefaultDllSearchForChildren() noexcept;
  DefaultDllSearchForChildren(const DefaultDllSearchForChildren&) = delete;
  DefaultDllSearchForChildren& operator=(const DefaultDllSearchForChildren&) = delete;
  ~DefaultDllSearchForChildren();
};

}  // namespace tq
