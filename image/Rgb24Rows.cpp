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

}  // namespace brindle
