#include "splash/SplashResource.h"

#include "image/Bmp.h"
#include "splash/SplashFlags.h"

// Compiled in from res/splash/splash134.bmp by brindle_embed.
extern const unsigned char brindle_splash134_bmp[];
extern const unsigned long brindle_splash134_bmp_size;

namespace brindle {

std::span<const std::uint8_t> BitmapResourceBytes(int id) {
  if (id == SplashBitmapId) {
    return {brindle_splash134_bmp, static_cast<std::size_t>(brindle_splash134_bmp_size)};
  }
  return {};
}

std::optional<RgbImage> LoadBitmapResource(int id) {
  const std::span<const std::uint8_t> bytes = BitmapResourceBytes(id);
  if (bytes.empty()) {
    return std::nullopt;
  }
  return DecodeBmpPicture(bytes.data(), bytes.size());
}

std::optional<RgbImage> DecodeBmpPicture(const std::uint8_t* data, std::size_t size) {
  BmpImage bmp;
  if (ReadBmp(data, size, bmp) != BmpError::None) return std::nullopt;
  RgbImage image{bmp.width, bmp.height, {}};
  image.pixels.reserve(std::size_t(bmp.width) * std::size_t(bmp.height) * 3);
  // Stored rows run bottom-up; the picture runs top-down.
  for (std::int32_t y = 0; y < bmp.height; ++y) {
    for (std::int32_t x = 0; x < bmp.width; ++x) {
      const BmpColour c = PixelColour(bmp, x, bmp.height - 1 - y);
      image.pixels.insert(image.pixels.end(), {c.red, c.green, c.blue});
    }
  }
  return image;
}

}  // namespace brindle
