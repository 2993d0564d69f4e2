#include "launcher/splash_gif.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/error.h"

namespace tq {
namespace {

constexpr std::uint8_t kSignature[] = {'G', 'I', 'F', '8', '9', 'a'};
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;

// Logical screen and image descriptor flags.
constexpr std::uint8_t kColourTableFlag = 0x80;
constexpr std::uint8_t kInterlaceFlag = 0x40;
constexpr std::uint8_t kColourTableSizeBits = 0x07;
// Graphic control block flags.
constexpr std::uint8_t kTransparentColourFlag = 0x01;

// The LZW code space of 8-bit pixels.
constexpr unsigned kPixelBits = 8;
constexpr unsigned kClearCode = 1U << kPixelBits;
constexpr unsigned kEndCode = kClearCode + 1;
constexpr unsigned kFirstFreeCode = kClearCode + 2;
constexpr unsigned kFirstCodeBits = kPixelBits + 1;
constexpr unsigned kMostCodeBits = 12;
constexpr unsigned kTableSize = 1U << kMostCodeBits;

[[noreturn]] void Refuse(const wchar_t* why) {
  throw Error(kInvalidPicture, std::wstring(L"Invalid picture: ") + why);
}

// The file's bytes, read front to back; reading past the end refuses.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t Byte() {
    Need(1);
    return bytes_[position_++];
  }

  unsigned Word() {
    const unsigned low = Byte();
    return low | (unsigned{Byte()} << 8);
  }

  std::span<const std::uint8_t> Take(std::size_t count) {
    Need(count);
    const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
    position_ += count;
    return taken;
  }

  [[nodiscard]] bool AtEnd() const noexcept { return position_ == bytes_.size(); }

 private:
  void Need(std::size_t count) const {
    if (bytes_.size() - position_ < count) {
      Refuse(L"the file ends early");
    }
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// The image's LZW codes, least significant bit first, from the data
// sub-blocks that follow the code size: each a length byte and that many
// bytes, the last of length 0.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& file) : file_(file) {}

  unsigned Read(unsigned bits) {
    while (bufferedBits_ < bits) {
      buffer_ |= std::uint32_t{NextDataByte()} << bufferedBits_;
      bufferedBits_ += 8;
    }
    const unsigned code = buffer_ & ((1U << bits) - 1);
    buffer_ >>= bits;
    bufferedBits_ -= bits;
    return code;
  }

  // Passes over what follows the end code, up to and with the last
  // sub-block: encoders fill the last byte, some a block more.
  void SkipRest() {
    file_.Take(blockLeft_);
    for (std::uint8_t length = file_.Byte(); length != 0; length = file_.Byte()) {
      file_.Take(length);
    }
  }

 private:
  std::uint8_t NextDataByte() {
    if (blockLeft_ == 0) {
      blockLeft_ = file_.Byte();
      if (blockLeft_ == 0) {
        Refuse(L"the image data ends before its end code");
      }
    }
    --blockLeft_;
    return file_.Byte();
  }

  ByteReader& file_;
  unsigned blockLeft_ = 0;
  std::uint32_t buffer_ = 0;
  unsigned bufferedBits_ = 0;
};

// One string of the LZW table: the string of `prefix` and then `last`.
struct TableEntry {
  std::uint16_t prefix = 0;
  std::uint16_t length = 1;
  std::uint8_t first = 0;
  std::uint8_t last = 0;
};

// Decodes the LZW codes into exactly as many pixels as `pixels` holds.
// Every code is checked against the table before it is used, and
// every string against the room left, so no input reads or writes outside.
void DecodeLzw(CodeReader& codes, std::span<std::uint8_t> pixels) {
  std::vector<TableEntry> table(kTableSize);
  for (unsigned literal = 0; literal < kClearCode; ++literal) {
    const auto value = static_cast<std::uint8_t>(literal);
    table[literal] = TableEntry{0, 1, value, value};
  }
  unsigned codeBits = kFirstCodeBits;
  unsigned nextCode = kFirstFreeCode;
  bool havePrevious = false;  // none after a clear code
  unsigned previous = 0;
  std::size_t written = 0;
  for (;;) {
    const unsigned code = codes.Read(codeBits);
    if (code == kClearCode) {
      codeBits = kFirstCodeBits;
      nextCode = kFirstFreeCode;
      havePrevious = false;
      continue;
    }
    if (code == kEndCode) {
      break;
    }
    // Defined so far: the literals, and the strings added since the last
    // clear; one more, the one about to be added, when a string precedes.
    const bool defined = code < kClearCode || (code >= kFirstFreeCode && code < nextCode);
    const bool beingAdded = havePrevious && code == nextCode && nextCode < kTableSize;
    if (!defined && !beingAdded) {
      Refuse(L"the image data uses a code it has not defined");
    }
    // The new string is the previous one and the first pixel of this one,
    // which is the previous string's own first pixel when this is the new
    // string itself. A full table takes no more until the next clear code.
    if (havePrevious && nextCode < kTableSize) {
      const TableEntry& before = table[previous];
      const std::uint8_t first = beingAdded ? before.first : table[code].first;
      table[nextCode] =
          TableEntry{static_cast<std::uint16_t>(previous),
                     static_cast<std::uint16_t>(before.length + 1), before.first, first};
      ++nextCode;
      if (nextCode == (1U << codeBits) && codeBits < kMostCodeBits) {
        ++codeBits;
      }
    }
    const TableEntry& entry = table[code];
    if (entry.length > pixels.size() - written) {
      Refuse(L"the image data holds more pixels than the image");
    }
    // The table holds strings back to front: fill from the last pixel.
    unsigned link = code;
    for (std::size_t at = written + entry.length; at > written; --at) {
      pixels[at - 1] = table[link].last;
      link = table[link].prefix;
    }
    written += entry.length;
    previous = code;
    havePrevious = true;
  }
  if (written != pixels.size()) {
    Refuse(L"the image data holds fewer pixels than the image");
  }
}

void ReadGraphicControlBlock(ByteReader& file) {
  constexpr std::uint8_t kBlockSize = 4;
  if (file.Byte() != kBlockSize) {
    Refuse(L"the graphic control block is not 4 bytes");
  }
  const std::uint8_t flags = file.Byte();
  file.Take(3);  // the delay and the transparent colour's index
  if ((flags & kTransparentColourFlag) != 0) {
    Refuse(L"the image has a transparent colour");
  }
  if (file.Byte() != 0) {
    Refuse(L"the graphic control block has more than one sub-block");
  }
}

// Moves each row from `width` bytes apart to `stride` bytes apart, the last
// row first so that no row overwrites one not yet moved, and clears the
// bytes between.
void SpreadRows(std::vector<std::uint8_t>& rows, std::size_t width, std::size_t stride,
                std::size_t height) {
  for (std::size_t row = height; row-- > 0;) {
    std::memmove(rows.data() + row * stride, rows.data() + row * width, width);
    std::fill_n(rows.begin() + static_cast<std::ptrdiff_t>(row * stride + width), stride - width,
                std::uint8_t{0});
  }
}

}  // namespace

IndexedPicture DecodeSplashGif(std::span<const std::uint8_t> file) {
  ByteReader reader(file);
  const std::span<const std::uint8_t> signature = reader.Take(sizeof kSignature);
  if (!std::equal(signature.begin(), signature.end(), std::begin(kSignature))) {
    Refuse(L"not a GIF89a file");
  }
  IndexedPicture picture;
  const unsigned width = reader.Word();
  const unsigned height = reader.Word();
  const std::uint8_t screenFlags = reader.Byte();
  reader.Take(2);  // the background colour and the pixel aspect ratio
  if ((screenFlags & kColourTableFlag) == 0 ||
      (screenFlags & kColourTableSizeBits) != kColourTableSizeBits) {
    Refuse(L"the file has no global table of 256 colours");
  }
  if (width == 0 || height == 0) {
    Refuse(L"the image is empty");
  }
  if (std::size_t{width} * height > kMostSplashPixels) {
    Refuse(L"the image is larger than 4096 x 4096 pixels");
  }
  for (GifColour& colour : picture.colours) {
    const std::span<const std::uint8_t> rgb = reader.Take(3);
    colour = GifColour{rgb[0], rgb[1], rgb[2]};
  }

  bool sawGraphicControl = false;
  for (std::uint8_t introducer = reader.Byte(); introducer != kImageSeparator;
       introducer = reader.Byte()) {
    if (introducer != kExtensionIntroducer) {
      Refuse(L"the file holds no image");
    }
    if (reader.Byte() != kGraphicControlLabel) {
      Refuse(L"the file holds an extension other than a graphic control block");
    }
    if (sawGraphicControl) {
      Refuse(L"the file holds more than one graphic control block");
    }
    ReadGraphicControlBlock(reader);
    sawGraphicControl = true;
  }

  const unsigned left = reader.Word();
  const unsigned top = reader.Word();
  const unsigned imageWidth = reader.Word();
  const unsigned imageHeight = reader.Word();
  const std::uint8_t imageFlags = reader.Byte();
  if (left != 0 || top != 0 || imageWidth != width || imageHeight != height) {
    Refuse(L"the image does not cover the logical screen");
  }
  if ((imageFlags & kColourTableFlag) != 0) {
    Refuse(L"the image has a colour table of its own");
  }
  if ((imageFlags & kInterlaceFlag) != 0) {
    Refuse(L"the image is interlaced");
  }
  if (reader.Byte() != kPixelBits) {
    Refuse(L"the image's pixels are not 8 bits");
  }

  const std::size_t stride = (std::size_t{width} + 3) / 4 * 4;
  picture.rows.resize(stride * height);
  CodeReader codes(reader);
  DecodeLzw(codes, std::span(picture.rows).first(std::size_t{width} * height));
  codes.SkipRest();
  SpreadRows(picture.rows, width, stride, height);

  if (reader.Byte() != kTrailer) {
    Refuse(L"the image is followed by more than the trailer");
  }
  if (!reader.AtEnd()) {
    Refuse(L"the file goes on after its trailer");
  }
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.rowStride = static_cast<int>(stride);
  return picture;
}

}  // namespace tq
