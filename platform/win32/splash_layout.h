#pragma once

#include "platform/win32/windows_api.h"

namespace tq {

// The splash window's frame: a standard sizable one.
inline constexpr DWORD kSplashStyle = WS_OVERLAPPEDWINDOW;

// The screen's pixels per logical inch, across and down.
struct ScreenDpi {
  int x = 96;
  int y = 96;
};

// Where the splash window and its picture go.
struct SplashLayout {
  RECT image1;  // in the client area, all of which it covers as created
  RECT frame;   // the window on the screen
};

// The screen's dpi, or 96 both ways when it cannot be read.
ScreenDpi ReadScreenDpi();

// The primary screen's size in pixels.
SIZE ReadScreenSize();

// The client area at its designed size in twips (1440 to the inch) at
// `dpi`, and the window of kSplashStyle around it, centred on `screen`.
SplashLayout LayOutSplash(ScreenDpi dpi, SIZE screen);

}  // namespace tq
