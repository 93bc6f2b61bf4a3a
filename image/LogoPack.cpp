// Packing of dots into device raster bytes: 8 vertically adjacent dots a
// byte, the top dot in the most significant bit, a set bit a printed dot.
// A converted picture is packed from monoImage, the black-and-white picture
// the preview shows; a 1-bit picture packed directly gives its black pixels.
#include "image/LogoBitmap.h"

namespace brindle {
namespace {

// Where the dot of a pixel inside the picture comes from.
enum DotSource {
  kMonoImage,    // monoImage value below 127 (black)
  kBitStored,    // the pixel's bit is 1 (colour-table entry 0 white)
  kBitInverted,  // the pixel's bit is 0 (entry 0 black, or any other colour)
};

int DirectSource(int paletteWhite) { return paletteWhite ? kBitStored : kBitInverted; }

}  // namespace

// Dot at device column x, device row y (y = 0 is the top row of the
// picture, which is the last stored row). Padding is blank.
bool LogoBitmap::DotAt(int x, int y, int source) const {
  if (x >= description.width || y >= description.height) return false;
  const int row = description.height - 1 - y;
  if (source == kMonoImage) return monoImage[row][x] < 127;
  const std::uint8_t byte =
      description.pixels[static_cast<std::size_t>(row) * description.rowBytes + x / 8];
  const bool bit = ((byte >> (7 - x % 8)) & 1) != 0;
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

int LogoBitmap::PackBandRows(int source) {
  for (int b = 0; b < paddedHeight / 8; ++b) {
    for (int x = 0; x < paddedWidth; ++x) {
      std::uint8_t byte = 0;
      for (int k = 0; k < 8; ++k) {
        if (DotAt(x, 8 * b + k, source)) byte |= static_cast<std::uint8_t>(0x80 >> k);
      }
      raster[static_cast<std::size_t>(rasterLength++)] = byte;
    }
  }
  return 1;
}

bool LogoBitmap::ConvertDiffused(std::uint16_t level) {
  if (!HasPicture() || !FitsWorkImages()) return false;
  // Each gray value depends on its own pixel only, so the rows may be the
  // outer loop, which keeps the reads in memory order.
  const int offset = BrightnessOffset(level);
  for (int r = 0; r < paddedHeight; ++r) StoreGrayRow(r, offset);
  WriteAdjustedFile();
  for (auto& row : monoImage) row.fill(0);
  DiffuseError();
  return true;
}

bool LogoBitmap::ConvertThreshold(std::uint16_t level) {
  if (!HasPicture() || !FitsWorkImages()) return false;
  for (int r = 0; r < paddedHeight; ++r) StoreGrayRow(r, 0);
  ThresholdGray(level);
  return true;
}

int LogoBitmap::PackDiffused(std::uint16_t level) {
  if (!FitsRaster() || !ConvertDiffused(level)) return 0;
  return PackColumns(kMonoImage);
}

int LogoBitmap::PackThreshold(std::uint16_t level) {
  if (!FitsRaster() || !ConvertThreshold(level)) return 0;
  return PackColumns(kMonoImage);
}

int LogoBitmap::PackDirect(int paletteWhite) {
  if (!HasPicture() || !FitsRaster()) return 0;
  return PackColumns(DirectSource(paletteWhite));
}

int LogoBitmap::PackBands(int paletteWhite) {
  if (!HasPicture() || !FitsRaster()) return 0;
  return PackBandRows(DirectSource(paletteWhite));
}

int LogoBitmap::PackConvertedBands() {
  if (!HasPicture() || !FitsWorkImages() || !FitsRaster()) return 0;
  return PackBandRows(kMonoImage);
}

}  // namespace brindle
