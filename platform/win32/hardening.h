#pragma once

// A launcher is started from wherever it lies: an unpacked download, a
// shared folder, a USB stick. Windows looks for a DLL named without a path
// in the program's own folder (and, on old systems, in the current folder)
// before the system folder, unless the program says otherwise; so any DLL
// that Windows or a system DLL loads by name while the launcher runs
// (uxtheme.dll at the first window, ...) could be one dropped beside the
// launcher, running with the user's rights. And a heap an attacker has
// corrupted should end the process, not steer it.

namespace tq {

// Makes every DLL the process loads by name from now on come from the
// system folder alone, where the system offers that (Windows 7 with
// KB2533623 and later), and leaves the current folder out of the search
// everywhere (Windows XP SP1 and later). Call it first, before anything
// that could load a DLL. Best effort: a system that refuses keeps its
// default search, and the launcher runs on as it always did.
void RestrictDllSearch() noexcept;

// Ends the process the moment the heap manager finds a heap corrupted.
// Windows Vista and later, and Windows XP SP3; 64-bit processes have it
// always. Where the system does not know it the call changes nothing.
void EndProcessOnHeapCorruption() noexcept;

// While it lives, the programs this process starts get the system's default
// DLL search. On Windows, CreateProcess hands the DLL directory set with
// SetDllDirectory down to the new process (the documentation of
// SetDllDirectory says so; Wine does not), and the launcher's restriction
// is no business of the Java program's, which starts as it always did.
// SetDefaultDllDirectories, the other half of the restriction, stays with
// the process that calls it and needs no undoing. Afterwards the current
// folder is left out of the launcher's own search again.
class DefaultDllSearchForChildren {
 public:
  DefaultDllSearchForChildren() noexcept;
  DefaultDllSearchForChildren(const DefaultDllSearchForChildren&) = delete;
  DefaultDllSearchForChildren& operator=(const DefaultDllSearchForChildren&) = delete;
  ~DefaultDllSearchForChildren();
};

}  // namespace tq
