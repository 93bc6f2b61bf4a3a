#pragma once
// What every decoder's fuzz target checks: the decoder under the logo size
// check, then the whole logo path (load, probes, conversions, packing) on
// the same bytes. (The preview's larger size check runs the same code over
// more rows; filling screens of up to 64 MiB would only slow the search.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/LogoBitmap.h"
#include "image/LogoPicture.h"

namespace brindle::fuzz {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

// A decoded picture is the 24-bit BMP of its pixels, or nothing at all.
inline void CheckDecoded(DecodeStatus status, const BmpImage& image, SizeCheck fits) {
  if (status == DecodeStatus::Ok) {
    Require(fits(image.width, image.height) && image.bitsPerPixel == 24);
    Require(image.rowBytes == BmpRowBytes(image.width, 24));
    Require(image.pixels.size() == static_cast<std::size_t>(image.rowBytes) * image.height);
  } else if (status == DecodeStatus::TooLarge) {
    Require(!fits(image.width, image.height) && image.pixels.empty());
  } else {
    Require(image.width == 0 && image.pixels.empty());
  }
}

inline int FuzzDecoder(PictureDecoderFn decode, const std::uint8_t* data, std::size_t size) {
  static auto logo = std::make_unique<LogoBitmap>();
  BmpImage image;
  CheckDecoded(decode(data, size, FitsLogo, image), image, FitsLogo);
  const int paletteWhite = ProbePaletteBytes(data, size);
  Require(paletteWhite == 0 || paletteWhite == 1);
  // Every decoded picture converts; a BMP (the other kind that loads) may
  // be a 1-bit picture too wide for the working images.
  if (logo->LoadBitmapData(data, size) == 1) {
    const std::uint16_t level = data[size - 1] % 11;
    const bool converts = logo->FitsWorkImages();
    Require(converts || SniffPictureFormat(data, size) == PictureFormat::Bmp);
    Require(logo->PackThreshold(level) == (converts ? logo->paddedHeight / 8 : 0));
    logo->LoadBitmapData(data, size);
    Require(logo->ConvertThreshold(level) == converts);
    Require(!converts || logo->PackConvertedBands() == 1);
  }
  return 0;
}

}  // namespace brindle::fuzz
