#include "app/PreviewGeometry.h"

#include <algorithm>

namespace brindle {

Size PreviewDrawnSize(int width, int height) {
  if (width <= 270 && height <= 230) return {width, height};
  // The factors are the doubles nearest 1/270 and 1/230; dividing by the
  // scale (rather than multiplying by the target) keeps the exact results
  // the window has always drawn.
  const double scale =
      width > height ? width * 0.003703703703703704 : height * 0.004347826086956522;
  return {static_cast<int>(width / scale), static_cast<int>(height / scale)};
}

std::vector<Rect> PreviewStripsToClear(int originX, Size previous, Size drawn) {
  std::vector<Rect> strips;
  if (previous.width > drawn.width) {
    strips.push_back({originX + drawn.width, kPreviewTop, originX + previous.width,
                      kPreviewTop + std::max(previous.height, drawn.height)});
  }
  if (previous.height > drawn.height) {
    strips.push_back({originX, kPreviewTop + drawn.height,
                      originX + std::max(previous.width, drawn.width),
                      kPreviewTop + previous.height});
  }
  return strips;
}

}  // namespace brindle
