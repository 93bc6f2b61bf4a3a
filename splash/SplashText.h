#pragma once
// Laying out the optional text over the splash picture.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "splash/SplashGeometry.h"

namespace brindle {

struct SplashTextLine {
  std::string text;
  int x = 0;
  int y = 0;
  bool operator==(const SplashTextLine&) const = default;
};

// Width in pixels of a piece of text in the font that will draw it.
using SplashMeasure = std::function<int(const std::string&)>;

// Breaks `text` into lines that fit `maxWidth`: explicit "\n" always breaks;
// with SplashTextWordBreak a line also breaks at the last space before it
// would grow wider than maxWidth (a single word wider than that keeps a line
// of its own). Spaces at a break are dropped.
std::vector<std::string> WrapSplashText(const std::string& text, int maxWidth, std::uint32_t format,
                                        const SplashMeasure& measure);

// Places the lines of `text` in `rect`: centred horizontally with
// SplashTextCenter (else at the left edge), the block centred vertically with
// SplashTextVCenter (else at the top), one `lineHeight` per line.
std::vector<SplashTextLine> LayoutSplashText(const std::string& text, const SplashRect& rect,
                                             std::uint32_t format, int lineHeight,
                                             const SplashMeasure& measure);

}  // namespace brindle
