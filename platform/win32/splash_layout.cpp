#include "platform/win32/splash_layout.h"

#include "platform/win32/unique_any.h"

namespace tq {
namespace {

// The client area as designed, in twips.
constexpr int kClientWidthTwips = 7440;
constexpr int kClientHeightTwips = 6660;
constexpr int kTwipsPerInch = 1440;

}  // namespace

ScreenDpi ReadScreenDpi() {
  ScreenDpi dpi;
  if (const UniqueScreenDc screen(GetDC(nullptr)); screen) {
    dpi.x = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpi.y = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  return dpi;
}

SIZE ReadScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

SplashLayout LayOutSplash(ScreenDpi dpi, SIZE screen) {
  // Image1 covers the client area as created, and keeps that size after.
  const RECT image1{0, 0, MulDiv(kClientWidthTwips, dpi.x, kTwipsPerInch),
                    MulDiv(kClientHeightTwips, dpi.y, kTwipsPerInch)};
  RECT frame = image1;
  AdjustWindowRectEx(&frame, kSplashStyle, FALSE, 0);
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  const LONG left = (screen.cx - width) / 2;
  const LONG top = (screen.cy - height) / 2;
  return {image1, RECT{left, top, left + width, top + height}};
}

}  // namespace tq
