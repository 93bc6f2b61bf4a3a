// Fuzzes the BMP reader, both header probes, the conversion and the
// packings that read the loaded rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/Bmp.h"
#include "image/LogoBitmap.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckImage(const brindle::BmpImage& image) {
  Require(image.width > 0 && image.height > 0);
  Require(image.rowBytes == brindle::BmpRowBytes(image.width, image.bitsPerPixel));
  Require(image.pixels.size() == static_cast<std::size_t>(image.rowBytes) * image.height);
  // Touch every pixel's colour on small pictures, a sample on large ones.
  const std::int32_t step = image.width * static_cast<std::int64_t>(image.height) > 65536 ? 97 : 1;
  for (std::int32_t r = 0; r < image.height; r += step) {
    for (std::int32_t x = 0; x < image.width; x += step) brindle::PixelColour(image, x, r);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto logo = std::make_unique<brindle::LogoBitmap>();

  const int needsConversion = brindle::ProbeHeaderBytes(data, size);
  const int paletteWhite = brindle::ProbePaletteBytes(data, size);
  Require(needsConversion == 0 || needsConversion == 1);
  Require(paletteWhite == 0 || paletteWhite == 1);

  brindle::BmpImage image;
  if (brindle::ReadBmp(data, size, image) == brindle::BmpError::None) {
    CheckImage(image);
  } else {
    Require(image.pixels.empty());
  }

  // Every packing, as the uploads would call them.
  if (logo->LoadBitmapData(data, size) == 1) {
    const std::uint16_t level = size > 0 ? data[size - 1] % 11 : 5;
    logo->PackDirect(paletteWhite);
    logo->LoadBitmapData(data, size);
    logo->PackBands(!paletteWhite);
    logo->LoadBitmapData(data, size);
    logo->PackThreshold(level);
    logo->LoadBitmapData(data, size);
    if (logo->ConvertThreshold(level)) logo->PackConvertedBands();
    for (int x = 0; x < logo->paddedWidth && x < 512; ++x) {
      for (int r = 0; r < logo->paddedHeight && r < 650; ++r) logo->ToGrayAdjusted(x, r, level);
    }
    logo->DiffuseError();
    Require(logo->rasterLength >= 0 &&
            static_cast<std::size_t>(logo->rasterLength) <= brindle::LogoBitmap::kRasterBytes);
  }
  return 0;
}
