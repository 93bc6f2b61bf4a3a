#include "splash/RegionRuns.h"

namespace brindle {

std::optional<Rgb> KeyColourFromComponents(int red, int green, int blue) {
  auto none = [](int c) { return (c & 0xFFFF) == 0xFFFF; };
  if (none(red) || none(green) || none(blue)) {
    return std::nullopt;
  }
  return Rgb{static_cast<std::uint8_t>(red & 0xFF), static_cast<std::uint8_t>(green & 0xFF),
             static_cast<std::uint8_t>(blue & 0xFF)};
}

std::vector<RowRun> RegionRunsFromPixels(const RgbView& picture, Rgb key) {
  std::vector<RowRun> runs;
  if (picture.data == nullptr || picture.width <= 0 || picture.height <= 0) {
    return runs;
  }
  // Room for 40 runs up front; a typical outline needs a few per row.
  runs.reserve(40);
  for (int y = 0; y < picture.height; ++y) {
    int x = 0;
    while (x < picture.width) {
      while (x < picture.width && picture.At(x, y) == key) {
        ++x;
      }
      const int start = x;
      while (x < picture.width && !(picture.At(x, y) == key)) {
        ++x;
      }
      if (x > start) {
        runs.push_back({start, y, x - start});
      }
    }
  }
  return runs;
}

}  // namespace brindle
