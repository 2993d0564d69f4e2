// The executable's face as a user sees it, under Wine: the real
// TovaneQuillon.exe is started, its splash window is looked at on the screen
// and resized, then closed before its timer ticks so that nothing else runs.
// The exe's own resources, decoded by the system, are the reference.

#include <gtest/gtest.h>

// clang-format off
#include "platform/win32/windows_api.h"
#include <ocidl.h>
#include <olectl.h>
#include <shellapi.h>
#include <wrl/client.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/unique_any.h"

namespace {

using Microsoft::WRL::ComPtr;
using tq::UniqueHandle;
using tq::UniqueHbitmap;
using tq::UniqueHdc;
using tq::UniqueHglobal;
using tq::UniqueHicon;
using tq::UniqueHmodule;
using tq::UniqueScreenDc;
using namespace std::chrono_literals;

constexpr int kPictureWidth = 493;
constexpr int kPictureHeight = 446;
constexpr int kImage1WidthTwips = 7440;
constexpr int kImage1HeightTwips = 6660;
constexpr int kTwipsPerInch = 1440;
constexpr COLORREF kGrey = RGB(192, 192, 192);

// --- Pixels -------------------------------------------------------------------

// Top-down 32-bit pixels, 0x00RRGGBB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> values;

  [[nodiscard]] std::uint32_t at(int x, int y) const {
    return values[static_cast<std::size_t>(y) * width + x];
  }
};

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, std::abs(ca - cb));
  }
  return worst;
}

std::uint32_t FromColorref(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Draws into a fresh width x height 32-bit bitmap and returns its pixels.
template <typename DrawFunction>
Pixels DrawOffscreen(int width, int height, std::uint32_t fill, DrawFunction draw) {
  const UniqueHdc dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  const UniqueHbitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) {
    return {};
  }
  HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
  auto* values = static_cast<std::uint32_t*>(bits);
  std::fill(values, values + static_cast<std::size_t>(width) * height, fill);
  draw(dc.get());
  GdiFlush();
  Pixels pixels{width, height, std::vector<std::uint32_t>(values, values + width * height)};
  SelectObject(dc.get(), previous);
  for (auto& value : pixels.values) {
    value &= 0xFFFFFF;
  }
  return pixels;
}

// What the screen shows in a rectangle of screen coordinates.
Pixels CaptureScreen(const RECT& area) {
  const UniqueScreenDc screen(GetDC(nullptr));
  return DrawOffscreen(area.right - area.left, area.bottom - area.top, 0, [&](HDC dc) {
    BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen.get(), area.left,
           area.top, SRCCOPY);
  });
}

// --- The executable's resources, read as data ----------------------------------

std::wstring LauncherPath() {
  const char* host = std::getenv("TQ_RESOURCES_LAUNCHER");
  if (host == nullptr) {
    return {};
  }
  // CTest gives a host path; Wine shows the host's root as drive Z:.
  std::wstring path(host, host + std::strlen(host));
  if (!path.empty() && path.front() == L'/') {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path = L"Z:" + path;
  }
  return path;
}

UniqueHmodule LoadAsData(const std::wstring& path) {
  return UniqueHmodule(LoadLibraryExW(path.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

std::vector<std::uint8_t> ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC resource = FindResourceW(module, name, type);
  if (resource == nullptr) {
    return {};
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (bytes == nullptr) {
    return {};
  }
  return {bytes, bytes + SizeofResource(module, resource)};
}

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
  return DrawOffscreen(width, height, 0, [&](HDC dc) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    picture->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight,
                    nullptr);
  });
}

// A 32-bit icon image as stored: BITMAPINFOHEADER, then bottom-up BGRA rows.
struct IconImage {
  int size = 0;
  std::vector<std::uint32_t> argb;  // top-down
};

IconImage ReadAlphaIconImage(HMODULE module, int id) {
  const std::vector<std::uint8_t> data =
      ResourceBytes(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
  BITMAPINFOHEADER header{};
  if (data.size() < sizeof header) {
    return {};
  }
  std::memcpy(&header, data.data(), sizeof header);
  IconImage image{header.biWidth, {}};
  if (header.biBitCount != 32 ||
      data.size() < sizeof header + static_cast<std::size_t>(image.size) * image.size * 4) {
    return {};
  }
  for (int y = 0; y < image.size; ++y) {
    const std::uint8_t* row = data.data() + sizeof header + (image.size - 1 - y) * image.size * 4;
    for (int x = 0; x < image.size; ++x) {
      const std::uint8_t* p = row + x * 4;
      image.argb.push_back((std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                           (std::uint32_t{p[1]} << 8) | p[0]);
    }
  }
  return image;
}

// The colour bitmap of an icon handle, read back from the system.
Pixels IconColourPixels(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) {
    return {};
  }
  const UniqueHbitmap colour(info.hbmColor);
  const UniqueHbitmap mask(info.hbmMask);
  BITMAP bitmap{};
  if (!colour || GetObjectW(colour.get(), sizeof bitmap, &bitmap) == 0) {
    return {};
  }
  Pixels pixels{
      bitmap.bmWidth, bitmap.bmHeight,
      std::vector<std::uint32_t>(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight)};
  BITMAPINFO format = TopDown32(bitmap.bmWidth, bitmap.bmHeight);
  const UniqueScreenDc screen(GetDC(nullptr));
  GetDIBits(screen.get(), colour.get(), 0, bitmap.bmHeight, pixels.values.data(), &format,
            DIB_RGB_COLORS);
  for (auto& value : pixels.values) {
    value &= 0xFFFFFF;
  }
  return pixels;
}

// How many of the image's opaque pixels the shown pixels match.
double OpaqueMatch(const IconImage& image, const Pixels& shown, int left, int top) {
  int opaque = 0;
  int matching = 0;
  for (int y = 0; y < image.size; ++y) {
    for (int x = 0; x < image.size; ++x) {
      const std::uint32_t argb = image.argb[static_cast<std::size_t>(y) * image.size + x];
      if ((argb >> 24) != 0xFF) {
        continue;
      }
      ++opaque;
      if (left + x < shown.width && top + y < shown.height &&
          ChannelDistance(argb & 0xFFFFFF, shown.at(left + x, top + y)) <= 24) {
        ++matching;
      }
    }
  }
  return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

int ScreenDpiX() {
  const UniqueScreenDc screen(GetDC(nullptr));
  return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int ScreenDpiY() {
  const UniqueScreenDc screen(GetDC(nullptr));
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

// --- The running launcher ------------------------------------------------------

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK TakeSplashWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (pid == search->pid && IsWindowVisible(window) && std::wstring(caption) == L"Tovane Quillon") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Starts the launcher and never leaves it behind: whatever a test finds, the
// process is ended when the test is over.
class RunningLauncher {
 public:
  explicit RunningLauncher(const std::wstring& path) {
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &created)) {
      process_.reset(created.hProcess);
      const UniqueHandle thread(created.hThread);
      pid_ = created.dwProcessId;
    }
  }
  RunningLauncher(const RunningLauncher&) = delete;
  RunningLauncher& operator=(const RunningLauncher&) = delete;
  ~RunningLauncher() {
    if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }

  [[nodiscard]] bool started() const { return process_.valid(); }

  HWND WaitForSplash(std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      WindowSearch search{pid_, nullptr};
      EnumWindows(&TakeSplashWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) {
        return search.found;
      }
      std::this_thread::sleep_for(10ms);
    }
    return nullptr;
  }

  std::optional<DWORD> WaitForExit(DWORD milliseconds) const {
    if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) {
      return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
};

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

class SplashFace : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = LauncherPath();
    ASSERT_FALSE(path_.empty()) << "TQ_RESOURCES_LAUNCHER names TovaneQuillon.exe";
    module_ = LoadAsData(path_);
    ASSERT_TRUE(module_) << "cannot load the launcher as data";
  }

  std::wstring path_;
  UniqueHmodule module_;
};

// --- The icon, as the system's icon loaders see the executable -------------------

TEST_F(SplashFace, IconGroupOneLoadsTheTrueColourImageForEachSmallSize) {
  for (const auto& [size, id] :
       {std::pair{16, 30020}, std::pair{32, 30019}, std::pair{48, 30018}}) {
    SCOPED_TRACE(size);
    const UniqueHicon icon(static_cast<HICON>(
        LoadImageW(module_.get(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon);
    const Pixels loaded = IconColourPixels(icon.get());
    ASSERT_EQ(loaded.width, size);
    ASSERT_EQ(loaded.height, size);
    const IconImage stored = ReadAlphaIconImage(module_.get(), id);
    ASSERT_EQ(stored.size, size);
    EXPECT_GE(OpaqueMatch(stored, loaded, 0, 0), 0.99);
  }
}

TEST_F(SplashFace, ShellFindsOneIconWithLargeAndSmallImages) {
  EXPECT_EQ(ExtractIconExW(path_.c_str(), -1, nullptr, nullptr, 0), 1U);
  HICON large = nullptr;
  HICON small = nullptr;
  ExtractIconExW(path_.c_str(), 0, &large, &small, 1);
  const UniqueHicon largeOwner(large);
  const UniqueHicon smallOwner(small);
  ASSERT_TRUE(large);
  ASSERT_TRUE(small);
  EXPECT_EQ(IconColourPixels(large).width, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconColourPixels(small).width, GetSystemMetrics(SM_CXSMICON));
}

// --- The running splash window ---------------------------------------------------

// One run of the launcher: everything below happens before Timer1's first
// tick (2 s after the window is created), and the window is then closed the
// way a user closes it, so the launcher ends without starting anything.
TEST_F(SplashFace, WindowShowsPictureAndIconAndKeepsThePictureInPlaceWhenResized) {
  const ComPtr<IPicture> picture = DecodeSplashPicture(module_.get());
  ASSERT_TRUE(picture) << "the system cannot decode the embedded picture";
  const Pixels original = RenderPicture(picture.Get(), kPictureWidth, kPictureHeight);
  ASSERT_EQ(original.width, kPictureWidth);
  const int image1Width = MulDiv(kImage1WidthTwips, ScreenDpiX(), kTwipsPerInch);
  const int image1Height = MulDiv(kImage1HeightTwips, ScreenDpiY(), kTwipsPerInch);
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
  if (ScreenDpiX() == 96 && ScreenDpiY() == 96) {
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
