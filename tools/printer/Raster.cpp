#include "tools/printer/Raster.h"

#include <algorithm>

namespace brindle::printer {

Raster NvImage::ToRaster() const {
  Raster r(Width(), Height());
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) r.Set(x, y, Dot(x, y));
  }
  return r;
}

int DotLogo::Width() const {
  std::size_t widest = 0;
  for (const auto& band : bands) widest = std::max(widest, band.size());
  return static_cast<int>(widest);
}

Raster DotLogo::ToRaster() const {
  Raster r(Width(), Height());
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) r.Set(x, y, Dot(x, y));
  }
  return r;
}

}  // namespace brindle::printer
