#include "splash/SplashResource.h"

#include "splash/SplashBmp.h"
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
  return DecodeBmp24(bytes.data(), bytes.size());
}

}  // namespace brindle
