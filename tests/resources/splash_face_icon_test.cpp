// The application icon as the system's icon loaders see the executable.

// clang-format off
#include "platform/win32/windows_api.h"
#include <shellapi.h>
// clang-format on

#include <utility>

#include "tests/resources/splash_face.h"

namespace tq::splash_face {
namespace {

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
  KeepColoursOnly(pixels);
  return pixels;
}

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

}  // namespace
}  // namespace tq::splash_face
