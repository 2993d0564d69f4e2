#include "launcher/splash_gif.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/error.h"
#include "gif_frames.h"  // made by tests/host/gif_frames.py

namespace tq {
namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// Offsets in the files that tools/artwork/gif.py writes.
constexpr std::size_t kScreenFlags = 10;
constexpr std::size_t kControlBlock = 13 + 3 * 256;
constexpr std::size_t kControlFlags = kControlBlock + 3;
constexpr std::size_t kDescriptor = kControlBlock + 8;
constexpr std::size_t kImageFlags = kDescriptor + 9;
constexpr std::size_t kCodeSize = kDescriptor + 10;

Bytes Copy(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

// The description of the refusal, or "decoded".
std::wstring Refusal(std::span<const std::uint8_t> file) {
  try {
    DecodeSplashGif(file);
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kInvalidPicture);
    return error.description();
  }
  return L"decoded";
}

// The picture's rows without their padding, which must be zero.
Bytes Pixels(const IndexedPicture& picture) {
  Bytes pixels;
  for (int y = 0; y < picture.height; ++y) {
    const auto row = picture.rows.begin() + static_cast<std::ptrdiff_t>(y) * picture.rowStride;
    pixels.insert(pixels.end(), row, row + picture.width);
    for (int x = picture.width; x < picture.rowStride; ++x) {
      EXPECT_EQ(row[x], 0) << "padding at " << x << "," << y;
    }
  }
  return pixels;
}

TEST(SplashGifTest, DecodesTheArtworkToolsFramesToThePixelsTheyWereMadeFrom) {
  struct Frame {
    std::span<const std::uint8_t> gif;
    int width;
    int height;
    std::span<const std::uint8_t> indices;
  };
  using namespace gif_frames;
  // A few pixels; noise whose table fills and is cleared, with strings that
  // use themselves; a table kept full before a clear code.
  for (const Frame& frame :
       {Frame{kTinyGif, kTinyWidth, kTinyHeight, kTinyIndices},
        Frame{kNoiseGif, kNoiseWidth, kNoiseHeight, kNoiseIndices},
        Frame{kFullTableGif, kFullTableWidth, kFullTableHeight, kFullTableIndices}}) {
    SCOPED_TRACE(frame.width);
    const IndexedPicture picture = DecodeSplashGif(frame.gif);
    EXPECT_EQ(picture.width, frame.width);
    EXPECT_EQ(picture.height, frame.height);
    EXPECT_EQ(picture.rowStride, (frame.width + 3) / 4 * 4);
    EXPECT_EQ(Pixels(picture), Copy(frame.indices));
    EXPECT_EQ(picture.colours[1], (GifColour{1, 37, 254}));
    EXPECT_EQ(picture.colours[255], (GifColour{255, (255 * 37) & 0xFF, 0}));
  }

  const IndexedPicture shipped = DecodeSplashGif(kShippedSplash);
  EXPECT_EQ(shipped.width, 493);
  EXPECT_EQ(shipped.height, 446);
  EXPECT_EQ(shipped.rowStride, 496);
  EXPECT_EQ(Pixels(shipped).size(), 493U * 446U);
  for (std::size_t i = 0; i < shipped.colours.size(); ++i) {
    const std::uint8_t* rgb = kShippedSplash + 13 + 3 * i;
    EXPECT_EQ(shipped.colours[i], (GifColour{rgb[0], rgb[1], rgb[2]})) << i;
  }
}

TEST(SplashGifTest, RefusesEveryOtherKindOfGif) {
  struct Change {
    std::size_t at;
    Bytes bytes;
    const wchar_t* refusal;
  };
  const Bytes tiny = Copy(gif_frames::kTinyGif);
  for (const Change& change : {
           Change{3, {'7'}, L"not a GIF89a"},
           Change{kScreenFlags, {0x77}, L"no global table of 256 colours"},
           Change{kScreenFlags, {0xF6}, L"no global table of 256 colours"},
           Change{6, {0, 0}, L"empty"},
           Change{6, {0x01, 0x10, 0x01, 0x10}, L"larger than 4096 x 4096"},
           Change{kControlBlock + 1, {0xFE}, L"an extension other than a graphic control"},
           Change{kControlBlock + 2, {5}, L"not 4 bytes"},
           Change{kControlFlags, {0x01}, L"transparent"},
           Change{kControlBlock + 7, {1}, L"more than one sub-block"},
           Change{kControlBlock, {0x3B}, L"no image"},
           Change{kDescriptor + 1, {1}, L"does not cover"},
           Change{kDescriptor + 5, {4}, L"does not cover"},
           Change{kImageFlags, {0x80}, L"colour table of its own"},
           Change{kImageFlags, {0x40}, L"interlaced"},
           Change{kCodeSize, {7}, L"not 8 bits"},
           Change{tiny.size() - 1, {0x2C}, L"more than the trailer"},
       }) {
    Bytes changed = tiny;
    std::copy(change.bytes.begin(), change.bytes.end(), changed.begin() + change.at);
    EXPECT_THAT(Refusal(changed), HasSubstr(change.refusal)) << "at " << change.at;
  }

  Bytes twoControlBlocks = tiny;
  twoControlBlocks.insert(twoControlBlocks.begin() + kControlBlock, tiny.begin() + kControlBlock,
                          tiny.begin() + kDescriptor);
  EXPECT_THAT(Refusal(twoControlBlocks), HasSubstr(L"more than one graphic control block"));
  Bytes noControlBlock = tiny;
  noControlBlock.erase(noControlBlock.begin() + kControlBlock,
                       noControlBlock.begin() + kDescriptor);
  EXPECT_EQ(Refusal(noControlBlock), L"decoded");
  Bytes trailing = tiny;
  trailing.push_back(0);
  EXPECT_THAT(Refusal(trailing), HasSubstr(L"after its trailer"));
}

TEST(SplashGifTest, RefusesDamagedImageDataAndEveryTruncation) {
  using namespace gif_frames;
  EXPECT_THAT(Refusal(kFewerPixelsGif), HasSubstr(L"fewer pixels"));
  EXPECT_THAT(Refusal(kMorePixelsGif), HasSubstr(L"more pixels"));
  EXPECT_THAT(Refusal(kLongLastStringGif), HasSubstr(L"more pixels"));
  EXPECT_THAT(Refusal(kNoEndCodeGif), HasSubstr(L"before its end code"));
  EXPECT_THAT(Refusal(kUndefinedCodeGif), HasSubstr(L"not defined"));
  EXPECT_THAT(Refusal(kStringAfterClearGif), HasSubstr(L"not defined"));

  // Cut anywhere: in the header, the table, a block, a code, a sub-block's
  // length; the long frame at a stride, to keep the test quick.
  for (const auto& [file, stride] : {std::pair{std::span<const std::uint8_t>(kTinyGif), 1},
                                     std::pair{std::span<const std::uint8_t>(kFullTableGif), 61}}) {
    for (std::size_t size = 0; size < file.size(); size += stride) {
      ASSERT_THAT(Refusal(file.first(size)), HasSubstr(L"Invalid picture")) << "cut to " << size;
    }
    ASSERT_THAT(Refusal(file.first(file.size() - 1)), HasSubstr(L"ends early"));
  }
}

}  // namespace
}  // namespace tq
