#pragma once
// Where the splash window goes: the centring arithmetic of LoadSplashBitmap.
#include <cstdint>
#include <optional>

namespace brindle {

struct SplashRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct SplashPoint {
  int x = 0;
  int y = 0;
  bool operator==(const SplashPoint&) const = default;
};

// (outer - inner) / 2 with division truncating toward zero, so a picture
// wider than the area gets a negative offset (-44 / 2 = -22, -3 / 2 = -1).
// Never overflows for any pair of ints.
int CenterOffset(int outer, int inner);

// Top-left corner of a width x height splash for the given flags:
// SplashCenterScreen centres in `screenClient` (the client area of a
// full-screen window); otherwise SplashCenterParent centres on `parent`'s
// window rectangle when there is a parent; otherwise `current` is kept.
// Coordinates saturate at the int range instead of wrapping.
SplashPoint SplashPosition(std::uint32_t flags, const SplashRect& screenClient,
                           const std::optional<SplashRect>& parent, int width, int height,
                           SplashPoint current);

}  // namespace brindle
