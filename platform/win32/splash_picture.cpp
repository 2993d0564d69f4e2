#include "platform/win32/splash_picture.h"

#include <olectl.h>

#include <cstring>
#include <utility>

#include "platform/win32/unique_any.h"

namespace tq {
namespace {

// A stream over a movable copy of the resource's bytes: the picture object
// reads its data through a stream, and a stream made over memory owns it.
Microsoft::WRL::ComPtr<IStream> StreamOverCopy(const void* bytes, DWORD size) {
  UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) {
    return nullptr;
  }
  void* target = GlobalLock(memory.get());
  if (target == nullptr) {
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory.get());

  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.ReleaseAndGetAddressOf()))) {
    return nullptr;
  }
  memory.release();  // The stream frees it now.
  return stream;
}

}  // namespace

SplashPicture SplashPicture::Load(HMODULE module, const wchar_t* name) {
  HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (resource == nullptr) {
    return {};
  }
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) {
    return {};
  }
  Microsoft::WRL::ComPtr<IStream> stream = StreamOverCopy(bytes, size);
  if (stream == nullptr) {
    return {};
  }
  Microsoft::WRL::ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.ReleaseAndGetAddressOf())))) {
    return {};
  }
  return SplashPicture(std::move(picture));
}

void SplashPicture::Draw(HDC dc, const RECT& bounds) const {
  if (picture_ == nullptr) {
    return;
  }
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(picture_->get_Width(&width)) || FAILED(picture_->get_Height(&height))) {
    return;
  }
  // Shrinking rows with the default stretch mode would merge them by AND and
  // darken the picture; halftone averages them.
  const int previousMode = SetStretchBltMode(dc, HALFTONE);
  POINT previousOrigin{};
  SetBrushOrgEx(dc, 0, 0, &previousOrigin);
  // Picture sizes are in HIMETRIC, measured upwards: the source starts at
  // the bottom edge and runs a negative height.
  picture_->Render(dc, bounds.left, bounds.top, bounds.right - bounds.left,
                   bounds.bottom - bounds.top, 0, height, width, -height, nullptr);
  SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
  SetStretchBltMode(dc, previousMode);
}

}  // namespace tq
