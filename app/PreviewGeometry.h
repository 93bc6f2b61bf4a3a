#pragma once
// Where and how large the preview pictures are drawn, and which strips of
// an earlier, larger picture must be cleared.
#include <vector>

namespace brindle {

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {  // right and bottom edges exclusive
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

inline constexpr int kPreviewTop = 28;
inline constexpr int kLeftPreviewX = 370;
inline constexpr int kRightPreviewX = 704;

// Pictures larger than 270 x 230 are scaled so that the longer side comes
// close to 270 (wider than high) or 230 (otherwise); smaller ones keep
// their size.
Size PreviewDrawnSize(int width, int height);

// The strips to clear in the half whose picture starts at (originX, 28)
// when a picture of `drawn` follows one of `previous`.
std::vector<Rect> PreviewStripsToClear(int originX, Size previous, Size drawn);

}  // namespace brindle
