#pragma once
// The paper between two cuts. Printed pictures are stacked top to bottom,
// left-aligned; the page is as wide as its widest picture. Feeding adds
// blank rows. A page has bounds, as the roll between two cuts of a real
// printer has, so that a hostile stream cannot make it exhaust memory:
// printing past them is refused and reported, feeding past them feeds
// nothing.
#include <cstdint>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

// The page's picture, as wide as its widest print and as high as all its
// rows, holds at most this many dots ...
inline constexpr std::uint64_t kMaxPageDots = 4u << 20;
// ... and at most this many rows (about 9 m at 180 dots per inch).
inline constexpr std::size_t kMaxPageRows = 1u << 16;

class Paper {
 public:
  // Whether a picture `width` x `height` dots still fits on the page.
  bool Fits(std::uint64_t width, std::uint64_t height) const;
  // Prints `image` scaled by whole factors. Returns false, printing
  // nothing, when the page would grow beyond its bounds.
  bool Print(const Raster& image, int scaleX, int scaleY);
  // Feeds up to `rows` blank dot rows (fewer when the page is full);
  // returns how many it fed.
  int Feed(int rows);
  // True once something has been printed since the last cut.
  bool HasPrint() const { return width_ > 0; }
  // Takes the page off: its picture (empty when nothing was printed),
  // leaving blank paper.
  Raster Cut();
  int Rows() const { return static_cast<int>(rows_.size()); }

 private:
  int width_ = 0;
  std::vector<std::vector<std::uint8_t>> rows_;  // each as wide as printed
};

}  // namespace brindle::printer
