#pragma once
// Brindle's BMP reader. It turns the bytes of a BMP file into stored pixel
// rows at the file's own bit depth, bottom-up, each row padded to a multiple
// of 4 bytes, which is what the logo conversion and packing address.
//
// Contract: the reader is safe on any input. It never reads outside the
// given bytes, allocates no more than the file's own size can justify, and
// refuses what it does not understand with a BmpError instead of guessing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

enum class BmpError {
  None = 0,
  CannotRead,     // the file cannot be opened or read, or is beyond the size cap
  NotBmp,         // too short for the file header, or no "BM" signature
  BadHeader,      // unknown header size, header cut off, planes not 1, absurd density
  Unsupported,    // bit depth or compression this reader does not decode
  BadDimensions,  // zero, negative or absurd width or height
  BadOffset,      // pixel data offset inside the headers or beyond the file
  BadPalette,     // colour table missing or larger than the file holds
  BadMasks,       // BITFIELDS masks zero, not contiguous, overlapping or too wide
  Truncated,      // the file declares more bytes than it holds
  BadRle,         // an RLE stream that writes outside the picture or is cut off
  BadIndex,       // a pixel names a colour-table entry that does not exist
  TooLarge,       // decoded rows beyond what the file size can justify
};

struct BmpColour {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  bool operator==(const BmpColour&) const = default;
};

// One decoded picture. `pixels` holds `height` rows of `rowBytes` bytes,
// stored row 0 being the bottom row of the picture. Depths 1, 4 and 8 hold
// colour-table indices (every index is below palette.size()); 24 holds
// B, G, R; 32 holds B, G, R and one ignored byte (BITFIELDS files are
// rewritten into that order); 16 holds the file's own 16-bit values, whose
// channels `redMask`, `greenMask`, `blueMask` describe.
struct BmpImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rowBytes = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<BmpColour> palette;
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
};

// Caps that keep hostile headers from driving allocation: no file above
// kMaxBmpFileBytes is read, no side may exceed kMaxBmpDimension, and the
// decoded rows never exceed kMaxBmpPixelBytes.
inline constexpr std::size_t kMaxBmpFileBytes = 64u << 20;
inline constexpr std::int32_t kMaxBmpDimension = 65535;
inline constexpr std::size_t kMaxBmpPixelBytes = 64u << 20;

// The BMP row length: ((width * bits + 31) div 32) * 4, in 64 bits.
std::int64_t BmpRowBytes(std::int64_t width, std::int64_t bitsPerPixel);

// Decodes `size` bytes at `data` into `out`. On failure `out` is left empty
// (a default BmpImage).
BmpError ReadBmp(const std::uint8_t* data, std::size_t size, BmpImage& out);

// Reads the whole file (at most kMaxBmpFileBytes) and decodes it.
BmpError ReadBmpFile(const std::string& path, BmpImage& out);

// The colour of the pixel in column x of stored row `row`; black outside the
// picture. A 16-bit channel of n bits with value c is scaled to 0..255 as
// (c * 255 + (2^n - 1) div 2) div (2^n - 1) (31 of 5 bits gives 255).
BmpColour PixelColour(const BmpImage& image, std::int32_t x, std::int32_t row);

// A short English name of the error, for diagnostics and tests.
const char* BmpErrorName(BmpError error);

}  // namespace brindle
