#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/win32/windows_api.h"

namespace tq {

// The resource that holds the splash picture: a GIF, stored as it is.
inline constexpr wchar_t kSplashPictureResource[] = L"SPLASH";

// The picture of Image1: a GIF embedded in the executable, decoded once by
// our own decoder (launcher/splash_gif.h) into an 8-bit device-independent
// bitmap, drawn stretched to a rectangle with its proportions not kept. GDI
// alone draws it: no COM, no picture object, no image codec DLL.
class SplashPicture {
 public:
  // An empty picture, which draws nothing.
  SplashPicture() = default;

  // Decodes the RCDATA resource `name` of `module`. Gives an empty picture
  // when the resource is missing or cannot be decoded: the splash window
  // then shows its grey background, and the launcher goes on regardless.
  static SplashPicture Load(HMODULE module, const wchar_t* name);

  [[nodiscard]] bool empty() const noexcept { return rows_.empty(); }

  // Draws the whole picture stretched into `bounds`.
  void Draw(HDC dc, const RECT& bounds) const;

 private:
  // A BITMAPINFO with room for its 256 colours.
  struct Format {
    BITMAPINFOHEADER header{};
    std::array<RGBQUAD, 256> colours{};
  };

  Format format_;
  std::vector<std::uint8_t> rows_;
};

}  // namespace tq
