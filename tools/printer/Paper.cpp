#include "tools/printer/Paper.h"

#include <algorithm>

namespace brindle::printer {

bool Paper::Fits(std::uint64_t width, std::uint64_t height) const {
  const std::uint64_t rows = rows_.size() + height;
  const std::uint64_t wide =
      std::max<std::uint64_t>({width, static_cast<std::uint64_t>(width_), 1});
  return rows <= kMaxPageRows && wide * rows <= kMaxPageDots;
}

bool Paper::Print(const Raster& image, int scaleX, int scaleY) {
  if (image.Empty()) return true;
  const std::uint64_t width = static_cast<std::uint64_t>(image.width) * scaleX;
  if (!Fits(width, static_cast<std::uint64_t>(image.height) * scaleY)) return false;

  for (int y = 0; y < image.height; ++y) {
    std::vector<std::uint8_t> row(width, 0);
    for (int x = 0; x < image.width; ++x) {
      if (!image.At(x, y)) continue;
      std::fill_n(row.begin() + static_cast<long>(x) * scaleX, scaleX, 1);
    }
    for (int copy = 0; copy < scaleY; ++copy) rows_.push_back(row);
  }
  width_ = std::max(width_, static_cast<int>(width));
  return true;
}

int Paper::Feed(int rows) {
  int fed = 0;
  for (; fed < rows && Fits(0, 1); ++fed) rows_.emplace_back();
  return fed;
}

Raster Paper::Cut() {
  Raster page;
  if (width_ > 0) {
    page = Raster(width_, static_cast<int>(rows_.size()));
    for (std::size_t y = 0; y < rows_.size(); ++y) {
      std::copy(rows_[y].begin(), rows_[y].end(),
                page.dots.begin() + static_cast<long>(y * static_cast<std::size_t>(width_)));
    }
  }
  *this = Paper{};
  return page;
}

}  // namespace brindle::printer
