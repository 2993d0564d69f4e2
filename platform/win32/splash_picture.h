#pragma once

#include "platform/win32/windows_api.h"

// After windows_api.h: the COM picture interfaces and their smart pointer.
#include <ocidl.h>
#include <wrl/client.h>

#include <utility>

namespace tq {

// The resource that holds the splash picture: a GIF, stored as it is.
inline constexpr wchar_t kSplashPictureResource[] = L"SPLASH";

// The picture of Image1: a GIF embedded in the executable, decoded by the
// system's picture object (OleLoadPicture), drawn stretched to a rectangle
// with its proportions not kept.
class SplashPicture {
 public:
  // An empty picture, which draws nothing.
  SplashPicture() = default;

  // Decodes the RCDATA resource `name` of `module`. Gives an empty picture
  // when the resource is missing or cannot be decoded: the splash window
  // then shows its grey background, and the launcher goes on regardless.
  static SplashPicture Load(HMODULE module, const wchar_t* name);

  [[nodiscard]] bool empty() const noexcept { return picture_ == nullptr; }

  // Draws the whole picture stretched into `bounds`.
  void Draw(HDC dc, const RECT& bounds) const;

 private:
  explicit SplashPicture(Microsoft::WRL::ComPtr<IPicture> picture) : picture_(std::move(picture)) {}

  Microsoft::WRL::ComPtr<IPicture> picture_;
};

}  // namespace tq
