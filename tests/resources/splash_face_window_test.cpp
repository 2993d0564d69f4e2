// The splash window as a user sees it, under Wine: the real
// TovaneQuillon.exe is started, its splash window is looked at on the screen
// and resized, then closed before its timer ticks so that nothing else runs.

// clang-format off
#include "platform/win32/windows_api.h"
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "tests/resources/running_launcher.h"
#include "tests/resources/splash_face.h"

namespace tq::splash_face {
namespace {

using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

// The picture's own size, and Image1's as designed.
constexpr int kPictureWidth = 493;
constexpr int kPictureHeight = 446;
constexpr int kImage1WidthTwips = 7440;
constexpr int kImage1HeightTwips = 6660;
constexpr int kTwipsPerInch = 1440;
constexpr COLORREF kGrey = RGB(192, 192, 192);

std::uint32_t FromColorref(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// --- Pixels drawn here and shown on the screen -------------------------------

// Draws into a fresh, black width x height 32-bit bitmap and returns its
// pixels.
Pixels DrawOffscreen(int width, int height, const std::function<void(HDC)>& draw) {
  const UniqueHdc dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  const UniqueHbitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) {
    return {};
  }
  HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
  auto* values = static_cast<std::uint32_t*>(bits);
  std::fill(values, values + static_cast<std::size_t>(width) * height, 0);
  draw(dc.get());
  GdiFlush();
  Pixels pixels{width, height, std::vector<std::uint32_t>(values, values + width * height)};
  SelectObject(dc.get(), previous);
  KeepColoursOnly(pixels);
  return pixels;
}

// What the screen shows in a rectangle of screen coordinates.
Pixels CaptureScreen(const RECT& area) {
  const UniqueScreenDc screen(GetDC(nullptr));
  return DrawOffscreen(area.right - area.left, area.bottom - area.top, [&](HDC dc) {
    BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen.get(), area.left,
           area.top, SRCCOPY);
  });
}

// The screen's pixels per logical inch, across and down.
POINT ScreenDpi() {
  const UniqueScreenDc screen(GetDC(nullptr));
  return {GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

// --- The executable's picture, decoded by the system ----------------------------

// The splash picture decoded by the system, as the reference for the screen.
ComPtr<IPicture> DecodeSplashPicture(HMODULE module) {
  const std::vector<std::uint8_t> gif = ResourceBytes(module, L"SPLASH", MAKEINTRESOURCEW(10));
  if (gif.empty()) {
    return nullptr;
  }
  UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, gif.size()));
  if (!memory) {
    return nullptr;
  }
  std::memcpy(GlobalLock(memory.get()), gif.data(), gif.size());
  GlobalUnlock(memory.get());
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.GetAddressOf()))) {
    return nullptr;
  }
  memory.release();  // The stream frees it now.
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(gif.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.GetAddressOf())))) {
    return nullptr;
  }
  return picture;
}

// The picture's own pixels at their own size, and stretched to a size as
// the window draws it (halftone, proportions not kept).
Pixels RenderPicture(IPicture* picture, int width, int height) {
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  picture->get_Width(&himetricWidth);
  picture->get_Height(&himetricHeight);
  return DrawOffscreen(width, height, [&](HDC dc) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    picture->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight,
                    nullptr);
  });
}

// --- The running splash window ----------------------------------------------------

RECT ClientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// The share of pixels of `shown` in [0, width) x [0, height) that differ from
// `expected` by more than a little.
double MismatchShare(const Pixels& expected, const Pixels& shown) {
  int differing = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      if (ChannelDistance(expected.at(x, y), shown.at(x, y)) > 16) {
        ++differing;
      }
    }
  }
  return static_cast<double>(differing) / (expected.width * expected.height);
}

// Polls the screen until the client area shows what `ready` accepts, for the
// window's first paint and its repaint after a resize.
template <typename Ready>
Pixels WaitForClient(HWND window, Ready ready) {
  Pixels shown;
  const auto end = std::chrono::steady_clock::now() + 1500ms;
  do {
    shown = CaptureScreen(ClientOnScreen(window));
    if (ready(shown)) {
      break;
    }
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < end);
  return shown;
}

// One run of the launcher: everything below happens before Timer1's first
// tick (2 s after the window is created), and the window is then closed the
// way a user closes it, so the launcher ends without starting anything.
TEST_F(SplashFace, WindowShowsPictureAndIconAndKeepsThePictureInPlaceWhenResized) {
  const ComPtr<IPicture> picture = DecodeSplashPicture(module_.get());
  ASSERT_TRUE(picture) << "the system cannot decode the embedded picture";
  const Pixels original = RenderPicture(picture.Get(), kPictureWidth, kPictureHeight);
  ASSERT_EQ(original.width, kPictureWidth);
  const POINT dpi = ScreenDpi();
  const int image1Width = MulDiv(kImage1WidthTwips, dpi.x, kTwipsPerInch);
  const int image1Height = MulDiv(kImage1HeightTwips, dpi.y, kTwipsPerInch);
  const Pixels expected = RenderPicture(picture.Get(), image1Width, image1Height);
  const IconImage smallIcon = ReadAlphaIconImage(module_.get(), 30020);
  ASSERT_EQ(smallIcon.size, 16);

  const RunningLauncher launcher(path_);
  ASSERT_TRUE(launcher.started());
  const HWND window = launcher.WaitForSplash(15s);
  ASSERT_NE(window, nullptr) << "no splash window; the launcher "
                             << (launcher.WaitForExit(0)
                                     ? "ended with exit code " +
                                           std::to_string(*launcher.WaitForExit(0))
                                     : std::string("still runs"));
  const auto shownAt = std::chrono::steady_clock::now();

  // The client area is Image1's size, and the picture covers all of it.
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, image1Width);
  EXPECT_EQ(client.bottom, image1Height);
  if (dpi.x == 96 && dpi.y == 96) {
    EXPECT_EQ(client.right, 496);
    EXPECT_EQ(client.bottom, 444);
  }
  const Pixels first = WaitForClient(window, [&](const Pixels& shown) {
    return shown.width >= image1Width && MismatchShare(expected, shown) < 0.01;
  });
  ASSERT_GE(first.width, image1Width);
  EXPECT_LT(MismatchShare(expected, first), 0.01);
  // It is the picture itself, stretched, not merely something alike: its
  // corners and middle are where the picture has them.
  for (const auto& [x, y] :
       {std::pair{2, 2}, std::pair{image1Width - 3, 2}, std::pair{2, image1Height - 3},
        std::pair{image1Width - 3, image1Height - 3},
        std::pair{image1Width / 2, image1Height / 2}}) {
    const int sourceX = x * kPictureWidth / image1Width;
    const int sourceY = y * kPictureHeight / image1Height;
    EXPECT_LE(ChannelDistance(original.at(sourceX, sourceY), first.at(x, y)), 24)
        << "at " << x << "," << y;
  }

  // The title bar carries the application icon's 16 x 16 image.
  RECT frame{};
  GetWindowRect(window, &frame);
  const RECT clientOnScreen = ClientOnScreen(window);
  const Pixels titleBar =
      CaptureScreen(RECT{frame.left, frame.top, frame.left + 64, clientOnScreen.top});
  double bestIconMatch = 0.0;
  for (int top = 0; top + 16 <= titleBar.height; ++top) {
    for (int left = 0; left + 16 <= titleBar.width; ++left) {
      bestIconMatch = std::max(bestIconMatch, OpaqueMatch(smallIcon, titleBar, left, top));
    }
  }
  EXPECT_GE(bestIconMatch, 0.9) << "the title bar does not show the 16 x 16 icon";

  // Larger: the picture stays at the top left at its size; grey elsewhere.
  const int grownWidth = (frame.right - frame.left) + 120;
  const int grownHeight = (frame.bottom - frame.top) + 90;
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, grownWidth, grownHeight,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  const std::uint32_t grey = FromColorref(kGrey);
  auto uncoveredIsGrey = [&](const Pixels& shown) {
    if (shown.width <= image1Width || shown.height <= image1Height) {
      return false;
    }
    for (int y = 0; y < shown.height; ++y) {
      for (int x = (y < image1Height ? image1Width : 0); x < shown.width; ++x) {
        if (shown.at(x, y) != grey) {
          return false;
        }
      }
    }
    return true;
  };
  const Pixels grown = WaitForClient(window, uncoveredIsGrey);
  EXPECT_EQ(grown.width, image1Width + 120);
  EXPECT_EQ(grown.height, image1Height + 90);
  EXPECT_TRUE(uncoveredIsGrey(grown)) << "the uncovered client area is not plain grey";
  EXPECT_LT(MismatchShare(expected, grown), 0.01) << "the picture moved or changed size";

  // All of that before the first tick, or the launcher would have gone on.
  const auto checksTook = std::chrono::steady_clock::now() - shownAt;
  ASSERT_TRUE(IsWindow(window))
      << "the splash closed itself before the checks were done ("
      << std::chrono::duration_cast<std::chrono::milliseconds>(checksTook).count() << " ms)";
  // Closed by the user before the first tick: the launcher ends at once,
  // normally, having started nothing.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  const std::optional<DWORD> exitCode = launcher.WaitForExit(5000);
  ASSERT_TRUE(exitCode.has_value()) << "the launcher did not end after its splash was closed";
  EXPECT_EQ(*exitCode, 0U);
}

}  // namespace
}  // namespace tq::splash_face
