#include "image/LogoLimits.h"

namespace brindle {

int LogoDeviceSize(int width, int height) {
  return static_cast<int>(PaddedToEight(width) * PaddedToEight(height) / 8);
}

bool LogoFitsDevice(int bitsPerPixel, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (bitsPerPixel == 1) {
    return PaddedToEight(width) * PaddedToEight(height) / 8 <=
           static_cast<std::int64_t>(kRasterBytes);
  }
  return PaddedToEight(width) <= kMaxConvertWidth && PaddedToEight(height) <= kMaxConvertHeight;
}

}  // namespace brindle
