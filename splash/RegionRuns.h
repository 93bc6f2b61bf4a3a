#pragma once
// The outline of a keyed picture as one-pixel-high rectangles: the pixel
// work of RegionFromBitmap, kept free of any toolkit so it can be tested.
#include <optional>
#include <vector>

#include "splash/SplashPixels.h"

namespace brindle {

// One maximal run of non-key pixels within row y: x .. x + width - 1.
struct RowRun {
  int x = 0;
  int y = 0;
  int width = 0;
  bool operator==(const RowRun&) const = default;
};

// Each colour component is a 16-bit value; if any of them is 0xFFFF (also
// written -1) there is no key colour and the whole rectangle is shown.
// Otherwise the key is the low byte of each component.
std::optional<Rgb> KeyColourFromComponents(int red, int green, int blue);

// Scans every row left to right and returns, row by row, one run for each
// maximal stretch of pixels whose colour differs from `key`. A run ends at the
// next key pixel or at the row's right edge, never in the next row. A picture
// without key pixels gives one full-width run per row; a picture made only of
// the key colour (or a view with no pixels) gives none.
std::vector<RowRun> RegionRunsFromPixels(const RgbView& picture, Rgb key);

}  // namespace brindle
