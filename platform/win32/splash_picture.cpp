#include "platform/win32/splash_picture.h"

#include <new>
#include <span>
#include <utility>

#include "common/error.h"
#include "launcher/splash_gif.h"

namespace tq {
namespace {

constexpr WORD kResourceTypeRcdata = 10;  // RT_RCDATA

std::span<const std::uint8_t> ResourceBytes(HMODULE module, const wchar_t* name) {
  HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(kResourceTypeRcdata));
  if (resource == nullptr) {
    return {};
  }
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    return {};
  }
  return {static_cast<const std::uint8_t*>(bytes), size};
}

}  // namespace

SplashPicture SplashPicture::Load(HMODULE module, const wchar_t* name) {
  const std::span<const std::uint8_t> gif = ResourceBytes(module, name);
  if (gif.empty()) {
    return {};
  }
  IndexedPicture decoded;
  try {
    decoded = DecodeSplashGif(gif);
  } catch (const Error&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
  SplashPicture picture;
  BITMAPINFOHEADER& header = picture.format_.header;
  header.biSize = sizeof header;
  header.biWidth = decoded.width;
  header.biHeight = -decoded.height;  // the top row first, as decoded
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biCompression = BI_RGB;
  header.biClrUsed = static_cast<DWORD>(picture.format_.colours.size());
  for (std::size_t i = 0; i < decoded.colours.size(); ++i) {
    const GifColour& colour = decoded.colours[i];
    picture.format_.colours[i] = RGBQUAD{colour.blue, colour.green, colour.red, 0};
  }
  // The decoder's rows are already a DIB's: four-byte aligned.
  picture.rows_ = std::move(decoded.rows);
  return picture;
}

void SplashPicture::Draw(HDC dc, const RECT& bounds) const {
  if (empty()) {
    return;
  }
  // Shrinking rows with the default stretch mode would merge them by AND and
  // darken the picture; halftone averages them.
  const int previousMode = SetStretchBltMode(dc, HALFTONE);
  POINT previousOrigin{};
  SetBrushOrgEx(dc, 0, 0, &previousOrigin);
  const LONG width = format_.header.biWidth;
  const LONG height = -format_.header.biHeight;
  StretchDIBits(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                0, 0, width, height, rows_.data(), reinterpret_cast<const BITMAPINFO*>(&format_),
                DIB_RGB_COLORS, SRCCOPY);
  SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
  SetStretchBltMode(dc, previousMode);
}

}  // namespace tq
