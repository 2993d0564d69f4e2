// Feeds the splash picture's decoder any bytes: besides the sanitizers'
// checks, a decoded picture must be whole and a refusal must be the one
// error the splash expects, never another exception.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/error.h"
#include "fuzz/fuzz_check.h"
#include "launcher/splash_gif.h"

namespace tq::fuzz {
namespace {

void CheckPicture(const IndexedPicture& picture, std::span<const std::uint8_t> file) {
  Check(picture.width == (file[6] | (file[7] << 8)) && picture.height == (file[8] | (file[9] << 8)),
        "the picture is the logical screen's size");
  Check(picture.rowStride % 4 == 0 && picture.rowStride - picture.width < 4,
        "rows are padded to four bytes and no more");
  Check(picture.rows.size() == static_cast<std::size_t>(picture.rowStride) * picture.height,
        "every row is there");
  for (std::size_t i = 0; i < picture.colours.size(); ++i) {
    const GifColour& colour = picture.colours[i];
    const std::uint8_t* rgb = file.data() + 13 + 3 * i;
    Check(colour == GifColour{rgb[0], rgb[1], rgb[2]}, "the colours are the global table");
  }
  for (int y = 0; y < picture.height; ++y) {
    const auto row = picture.rows.begin() + static_cast<std::ptrdiff_t>(y) * picture.rowStride;
    Check(std::all_of(row + picture.width, row + picture.rowStride,
                      [](std::uint8_t padding) { return padding == 0; }),
          "the padding is zero");
  }
}

}  // namespace
}  // namespace tq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  try {
    tq::fuzz::CheckPicture(tq::DecodeSplashGif(file), file);
  } catch (const tq::Error& error) {
    tq::fuzz::Check(error.number() == tq::kInvalidPicture, "a refusal is an invalid picture");
  }
  return 0;
}
