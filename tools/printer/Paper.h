#pragma once
// The paper between two cuts. Printed pictures are stacked top to bottom,
// left-aligned; the page is as wide as its widest picture. Feeding adds
// blank rows. A page has bounds so that a hostile stream cannot make it
// exhaust memory; printing past them is refused and reported.
#include <cstdint>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

inline constexpr std::uint64_t kMaxPageDots = 64ull << 20;
inline constexpr std::size_t kMaxPageRows = 1u << 20;

class Paper {
 public:
  // Prints `image` scaled by whole factors. Returns false, printing
  // nothing, when the page would grow beyond its bounds.
  bool Print(const Raster& image, int scaleX, int scaleY);
  // Feeds `rows` blank dot rows (fewer when the page is full).
  void Feed(int rows);
  // True once something has been printed since the last cut.
  bool HasPrint() const { return width_ > 0; }
  // Takes the page off: its picture (empty when nothing was printed),
  // leaving blank paper.
  Raster Cut();
  int Rows() const { return static_cast<int>(rows_.size()); }

 private:
  int width_ = 0;
  std::uint64_t dots_ = 0;
  std::vector<std::vector<std::uint8_t>> rows_;  // each as wide as printed
};

}  // namespace brindle::printer
