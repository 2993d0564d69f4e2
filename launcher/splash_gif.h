#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tq {

// Raised for a picture the splash cannot show: the number of the runtime's
// own "Invalid picture".
inline constexpr int kInvalidPicture = 481;

// The largest frame decoded, in pixels: more than any screen shows, and a
// bound on the memory a damaged header can ask for.
inline constexpr std::size_t kMostSplashPixels = std::size_t{4096} * 4096;

struct GifColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const GifColour&) const = default;
};

// A picture of one byte a pixel, each an index into a table of 256 colours.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  // Bytes from the start of one row to the next: the width rounded up to a
  // multiple of four, so that the rows can go to a blitter as they are.
  int rowStride = 0;
  std::array<GifColour, 256> colours{};
  // height rows, the top row first; the bytes after each row's width are 0.
  std::vector<std::uint8_t> rows;
};

// Decodes the one kind of GIF the executable carries as its splash picture:
// GIF89a with a global table of 256 colours and one frame of 8-bit pixels
// that covers the whole logical screen, not interlaced, with no colour
// table of its own, before it at most one graphic control block and that
// without a transparent colour, after it the trailer and nothing more.
// Anything else, and any damage to the data, raises tq::Error
// kInvalidPicture saying what is wrong: the bytes are read as untrusted.
IndexedPicture DecodeSplashGif(std::span<const std::uint8_t> file);

}  // namespace tq
