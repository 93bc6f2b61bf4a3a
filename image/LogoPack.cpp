// Packing of dots into device raster bytes: 8 vertically adjacent dots a
// byte, the top dot in the most significant bit, a set bit a printed dot.
#include <algorithm>

#include "image/LogoBitmap.h"

namespace brindle {
namespace {

// Where the dot of a pixel inside the picture comes from.
enum DotSource {
  kMonoImage,     // monoImage value below 127 (black)
  kSourceAverage, // the three stored bytes at the pixel sum below 384
  kBitStored,     // the pixel's bit is 1
  kBitInverted,   // the pixel's bit is 0
};

}  // namespace

// Dot at device column x, device row y (y = 0 is the top row of the
// picture, which is the last stored row). Padding is blank.
bool LogoBitmap::DotAt(int x, int y, int source) const {
  const int width = description.width;
  const int height = description.height;
  if (x >= width || y >= height) return false;
  const int row = height - 1 - y;
  if (source == kMonoImage) return monoImage[row][x] < 127;

  const std::size_t dataBytes = static_cast<std::size_t>(description.rowBytes) * height;
  const std::size_t at = static_cast<std::size_t>(row) * description.rowBytes +
                         (static_cast<std::size_t>(x) * description.bitsPerPixel) / 8;
  const std::uint8_t* px = description.pixels;
  if (source == kSourceAverage) {
    // Below 24 bits the rule reads the bytes after the pixel's own; past the
    // end of the pixel data they count as 0.
    int sum = 0;
    for (std::size_t k = 0; k < 3; ++k) sum += at + k < dataBytes ? px[at + k] : 0;
    return sum < 384;
  }
  const bool bit = ((px[at] >> (7 - x % 8)) & 1) != 0;
  return source == kBitStored ? bit : !bit;
}

int LogoBitmap::PackColumns(int source) {
  const int bands = paddedHeight / 8;
  for (int x = 0; x < paddedWidth; ++x) {
    for (int b = 0; b < bands; ++b) {
      std::uint8_t byte = 0;
      for (int k = 0; k < 8; ++k) {
        if (DotAt(x, 8 * b + k, source)) byte |= static_cast<std::uint8_t>(0x80 >> k);
      }
      raster[static_cast<std::size_t>(rasterLength++)] = byte;
    }
  }
  return bands;
}

int LogoBitmap::PackDiffused(int paletteWhite, std::uint16_t level) {
  if (!HasPicture() || !FitsWorkImages() || !FitsRaster()) return 0;
  // Each gray value depends on its own pixel only, so the rows may be the
  // outer loop, which keeps the reads in memory order.
  const int offset = BrightnessOffset(level);
  for (int r = 0; r < paddedHeight; ++r) {
    for (int x = 0; x < paddedWidth; ++x) StoreGray(x, r, offset);
  }
  WriteAdjustedFile();
  for (auto& row : monoImage) row.fill(0);
  DiffuseError();
  return PackColumns(paletteWhite ? kSourceAverage : kMonoImage);
}

int LogoBitmap::PackThreshold(int paletteWhite, std::uint16_t level) {
  if (!HasPicture() || !FitsWorkImages() || !FitsRaster()) return 0;
  for (int r = 0; r < paddedHeight; ++r) {
    for (int x = 0; x < paddedWidth; ++x) StoreGray(x, r, 0);
  }
  ThresholdGray(level);
  return PackColumns(paletteWhite ? kSourceAverage : kMonoImage);
}

int LogoBitmap::PackDirect(int paletteWhite) {
  if (!HasPicture() || !FitsRaster()) return 0;
  return PackColumns(paletteWhite ? kBitStored : kBitInverted);
}

int LogoBitmap::PackBands() {
  if (!HasPicture() || !FitsRaster()) return 0;
  const int bands = paddedHeight / 8;
  for (int b = 0; b < bands; ++b) {
    for (int x = 0; x < paddedWidth; ++x) {
      std::uint8_t byte = 0;
      for (int k = 0; k < 8; ++k) {
        if (DotAt(x, 8 * b + k, kBitInverted)) byte |= static_cast<std::uint8_t>(0x80 >> k);
      }
      raster[static_cast<std::size_t>(rasterLength++)] = byte;
    }
  }
  return 1;
}

}  // namespace brindle
