#pragma once

// A launcher is started from wherever it lies: an unpacked download, a
// shared folder, a USB stick. Windows looks for a DLL named without a path
// in the program's own folder (and, on old systems, in the current folder)
// before the system folder, unless the program says otherwise; so any DLL
// that Windows or a system DLL loads by name while the launcher runs
// (uxtheme.dll at the first window, the picture decoder's helpers, ...)
// could be one dropped beside the launcher, running with the user's rights.

namespace tq {

// Makes every DLL the process loads by name from now on come from the
// system folder alone, where the system offers that (Windows 7 with
// KB2533623 and later), and leaves the current folder out of the search
// everywhere (Windows XP SP1 and later). Call it first, before anything
// that could load a DLL. Best effort: a system that refuses keeps its
// default search, and the launcher runs on as it always did.
void RestrictDllSearch() noexcept;

// Leaves the current folder out of the DLL search again, after a scope that
// gave the system's default search back (DefaultDllSearchForChildren).
void LeaveCurrentFolderOutOfDllSearch() noexcept;

}  // namespace tq
