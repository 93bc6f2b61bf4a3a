// The 24-bit rows every decoder writes into.
#include "image/PictureDecoder.h"

namespace brindle {

DecodeStatus StartRgb24(std::int64_t width, std::int64_t height, SizeCheck fits, BmpImage& out) {
  out = BmpImage{};
  if (width <= 0 || height <= 0 || width > kMaxBmpDimension || height > kMaxBmpDimension) {
    return DecodeStatus::Refused;
  }
  out.width = static_cast<std::int32_t>(width);
  out.height = static_cast<std::int32_t>(height);
  if (fits == nullptr || !fits(out.width, out.height)) return DecodeStatus::TooLarge;
  out.bitsPerPixel = 24;
  out.rowBytes = static_cast<std::int32_t>(BmpRowBytes(width, 24));
  // White paper under the picture; the row padding stays 0 as in a file.
  out.pixels.assign(static_cast<std::size_t>(out.rowBytes) * out.height, 0);
  const std::size_t used = static_cast<std::size_t>(3 * width);
  for (std::int32_t r = 0; r < out.height; ++r) {
    std::uint8_t* row = out.pixels.data() + static_cast<std::size_t>(r) * out.rowBytes;
    for (std::size_t i = 0; i < used; ++i) row[i] = 0xFF;
  }
  return DecodeStatus::Ok;
}

void PutPixel(BmpImage& image, std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g,
              std::uint8_t b, std::uint8_t a) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  const std::size_t row = static_cast<std::size_t>(image.height - 1 - y);
  std::uint8_t* p = image.pixels.data() + row * image.rowBytes + 3 * static_cast<std::size_t>(x);
  p[0] = OverWhite(b, a);
  p[1] = OverWhite(g, a);
  p[2] = OverWhite(r, a);
}

}  // namespace brindle
