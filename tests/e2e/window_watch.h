#pragma once

// Looks at another process's top-level windows and message boxes the way a
// user would see them, and presses their buttons.

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "tests/e2e/harness.h"

namespace tq::e2e {

inline constexpr wchar_t kMessageBoxClass[] = L"#32770";

std::wstring ClassOf(HWND window);
std::wstring CaptionOf(HWND window);

// The visible top-level windows of process `pid`.
std::vector<HWND> VisibleWindows(DWORD pid);

// The first visible top-level window of `pid` with class `className`, or
// null.
HWND FindVisibleWindow(DWORD pid, const wchar_t* className);

// Waits for such a window; null when none came within the time.
HWND WaitForVisibleWindow(DWORD pid, const wchar_t* className, unsigned timeoutMilliseconds);

// A visible message box of `pid` other than `previous`, the one answered
// last, which may stay visible a moment after its OK; null when there is
// none.
HWND NextMessageBox(DWORD pid, HWND previous);

struct ButtonView {
  int id = 0;
  std::wstring text;
};

// What a message box shows.
struct MessageBoxView {
  std::wstring title;
  std::wstring text;
  std::vector<ButtonView> buttons;  // the visible ones, in window order
  bool hasIcon = false;
};

// Reads a message box of another process. The text is the static control
// 0xFFFF. The icon control is there and visible even when the box has no
// icon, so it is asked for the icon it shows (STM_GETICON).
MessageBoxView ReadMessageBox(HWND box);

// Watches `process` until it ends or the time is up, and returns the class
// of each visible top-level window it showed meanwhile (each class once).
// Whether it ended: process.WaitForExit(0).
std::vector<std::wstring> WindowClassesShownUntilExit(WatchedProcess& process,
                                                      unsigned timeoutMilliseconds);

// Presses a button of a message box (IDOK, IDNO, ...), as a click would.
// False when the box did not take the message within a few seconds.
bool PressButton(HWND box, int buttonId);

}  // namespace tq::e2e
