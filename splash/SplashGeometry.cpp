#include "splash/SplashGeometry.h"

#include <algorithm>
#include <climits>

#include "splash/SplashFlags.h"

namespace brindle {

namespace {

int Saturate(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// origin + (outer - inner) / 2, computed wide so that no step wraps.
int Centre(int origin, int outer, int inner) {
  return Saturate(std::int64_t{origin} + CenterOffset(outer, inner));
}

}  // namespace

int CenterOffset(int outer, int inner) {
  // The difference of two ints fits in 33 bits and its half fits in an int.
  return static_cast<int>((std::int64_t{outer} - std::int64_t{inner}) / 2);
}

SplashPoint SplashPosition(std::uint32_t flags, const SplashRect& screenClient,
                           const std::optional<SplashRect>& parent, int width, int height,
                           SplashPoint current) {
  if (flags & SplashCenterScreen) {
    return {Centre(screenClient.x, screenClient.width, width),
            Centre(screenClient.y, screenClient.height, height)};
  }
  if ((flags & SplashCenterParent) && parent) {
    return {Centre(parent->x, parent->width, width), Centre(parent->y, parent->height, height)};
  }
  return current;
}

}  // namespace brindle
