#include "splash/SplashBmp.h"

namespace brindle {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

std::int64_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

}  // namespace

std::optional<RgbImage> DecodeBmp24(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' ||
      data[1] != 'M') {
    return std::nullopt;
  }
  const std::uint8_t* info = data + kFileHeaderSize;
  const std::uint64_t pixelOffset = U32(data + 10);
  const std::uint64_t infoSize = U32(info);
  const std::int64_t width = S32(info + 4);
  const std::int64_t signedHeight = S32(info + 8);
  if (infoSize < kInfoHeaderSize || U16(info + 12) != 1 || U16(info + 14) != 24 ||
      U32(info + 16) != 0) {
    return std::nullopt;
  }
  // Negative heights mark top-down rows; the magnitude is checked against the
  // cap before anything is multiplied, so no product below can overflow.
  const bool topDown = signedHeight < 0;
  const std::int64_t height = topDown ? -signedHeight : signedHeight;
  if (width <= 0 || height <= 0 || width > SplashBmpMaxSide || height > SplashBmpMaxSide) {
    return std::nullopt;
  }
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
  if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > size ||
      stride * static_cast<std::uint64_t>(height) > size - pixelOffset) {
    return std::nullopt;
  }

  RgbImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(static_cast<std::size_t>(width * height * 3));
  for (std::int64_t y = 0; y < height; ++y) {
    const std::int64_t stored = topDown ? y : height - 1 - y;
    const std::uint8_t* src = data + pixelOffset + static_cast<std::uint64_t>(stored) * stride;
    std::uint8_t* dst = image.pixels.data() + y * width * 3;
    for (std::int64_t x = 0; x < width; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image;
}

}  // namespace brindle
