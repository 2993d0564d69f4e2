#pragma once

// What the checks of the executable's face share: pixels as the system gives
// them back, the executable's icon images as stored, and a fixture that
// holds the executable loaded as data. The exe's own resources, decoded by
// the system, are the reference.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq::splash_face {

// Top-down 32-bit pixels, 0x00RRGGBB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> values;

  [[nodiscard]] std::uint32_t at(int x, int y) const {
    return values[static_cast<std::size_t>(y) * width + x];
  }
};

// The largest difference between two pixels in one colour channel.
int ChannelDistance(std::uint32_t a, std::uint32_t b);

// The format in which pixels are read back: 32 bits, top row first.
BITMAPINFO TopDown32(int width, int height);

// Clears the byte above the colours, which GDI leaves as it pleases.
void KeepColoursOnly(Pixels& pixels);

// The bytes of a resource of `module`, empty when it is missing.
std::vector<std::uint8_t> ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type);

// A 32-bit icon image as stored: BITMAPINFOHEADER, then bottom-up BGRA rows.
struct IconImage {
  int size = 0;
  std::vector<std::uint32_t> argb;  // top-down
};

// The icon image resource `id` of `module`; empty unless it is 32-bit.
IconImage ReadAlphaIconImage(HMODULE module, int id);

// How many of the image's opaque pixels the shown pixels match, with the
// image's top left corner at (left, top) of `shown`.
double OpaqueMatch(const IconImage& image, const Pixels& shown, int left, int top);

// The launcher under test (named by TQ_RESOURCES_LAUNCHER), loaded as data.
class SplashFace : public ::testing::Test {
 protected:
  void SetUp() override;

  std::wstring path_;
  UniqueHmodule module_;
};

}  // namespace tq::splash_face
