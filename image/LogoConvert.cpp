// Monochrome conversion: gray values into grayImage, then black (0) or
// white (255) into monoImage by a level threshold or by error diffusion.
#include <algorithm>
#include <vector>

#include "image/LogoBitmap.h"

namespace brindle {
namespace {

constexpr int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Adds the shares of one pixel's error e to its neighbours, as DiffuseError
// describes. All shares have the sign of e (kUp: e > 0), so a sum can pass
// only one end of 0..255 and only that end is clamped.
template <bool kUp>
void Spread(std::uint8_t* a, std::size_t p, std::size_t w, int x, int e) {
  const int s1 = e / 42, s2 = 2 * e / 42, s4 = 4 * e / 42, s8 = 8 * e / 42;
  auto add = [a](std::size_t at, int share) {
    const int v = a[at] + share;
    a[at] = static_cast<std::uint8_t>(kUp ? (v > 255 ? 255 : v) : (v < 0 ? 0 : v));
  };
  const std::size_t n1 = p + w;
  const std::size_t n2 = p + 2 * w;
  add(p + 1, s8);
  add(p + 2, s4);
  if (x >= 2) {
    add(n1 - 2, s2);
    add(n2 - 2, s1);
  }
  if (x >= 1) {
    add(n1 - 1, s4);
    add(n2 - 1, s2);
  }
  add(n1, s8);
  add(n2, s4);
  add(n1 + 1, s4);
  add(n2 + 1, s2);
  add(n1 + 2, s2);
  add(n2 + 2, s1);
}

// The products of each channel value with its weight, in double precision.
struct Weights {
  double blue[256], green[256], red[256];
  Weights() {
    for (int v = 0; v < 256; ++v) {
      blue[v] = v * 0.114;
      green[v] = v * 0.587;
      red[v] = v * 0.299;
    }
  }
};
const Weights kWeights;

// The weighting of the three channels, evaluated in double precision in
// exactly this order (green and red products first, then blue) and
// truncated toward zero; other orders round differently at some values.
// The products come from kWeights, the same doubles as computed here.
int GrayOf(int b, int g, int r) {
  return static_cast<int>((kWeights.green[g] + kWeights.red[r]) + kWeights.blue[b]);
}

}  // namespace

int BrightnessOffset(std::uint16_t level) {
  if (level == 5) return 0;
  const double offset = (5 - static_cast<int>(level)) * 5 * 1.27;
  // Offsets beyond +-255 act like +-255 once the sums are clamped.
  return static_cast<int>(std::clamp(offset, -256.0, 256.0));
}

int ThresholdLevel(std::uint16_t level) { return 5 * static_cast<int>(level) + 103; }

bool LogoBitmap::InsidePicture(int x, int r) const {
  return picture != nullptr && x >= 0 && r >= 0 && x < description.width &&
         r < description.height && x < kImageStride && r < kImageRows;
}

// Gray value of one pixel with `offset` added to each channel first. A
// colour-table entry of equal blue, green and red is a gray already and
// gives its value as it is (so the identity gray palette converts each
// index to itself); every other colour is weighed.
void LogoBitmap::StoreGray(int x, int r, int offset) {
  if (!InsidePicture(x, r)) return;
  const BmpColour c = PixelColour(*picture, x, r);
  const bool indexed = description.bitsPerPixel <= 8;
  int gray = 0;
  if (indexed && c.blue == c.green && c.green == c.red) {
    gray = offset == 0 ? c.blue : Clamp255(c.blue + offset);
  } else {
    gray = GrayOf(Clamp255(c.blue + offset), Clamp255(c.green + offset), Clamp255(c.red + offset));
  }
  grayImage[r][x] = static_cast<std::uint8_t>(gray);
}

// StoreGray for columns 0 .. paddedWidth - 1 of row r; the pixels of a
// 24-bit row are read in one pass.
void LogoBitmap::StoreGrayRow(int r, int offset) {
  if (picture == nullptr || description.bitsPerPixel != 24 || r < 0 || r >= description.height ||
      r >= kImageRows) {
    for (int x = 0; x < paddedWidth; ++x) StoreGray(x, r, offset);
    return;
  }
  const int end = std::min({description.width, paddedWidth, kImageStride});
  const std::uint8_t* p = description.pixels + static_cast<std::size_t>(r) * description.rowBytes;
  for (int x = 0; x < end; ++x, p += 3) {
    grayImage[r][x] = static_cast<std::uint8_t>(
        GrayOf(Clamp255(p[0] + offset), Clamp255(p[1] + offset), Clamp255(p[2] + offset)));
  }
}

void LogoBitmap::ToGray(int x, int r) { StoreGray(x, r, 0); }

void LogoBitmap::ToGrayAdjusted(int x, int r, std::uint16_t level) {
  StoreGray(x, r, BrightnessOffset(level));
}

void LogoBitmap::ThresholdGray(std::uint16_t level) {
  if (!FitsWorkImages()) return;
  const int t = ThresholdLevel(level);
  for (int r = 0; r < paddedHeight; ++r) {
    for (int x = 0; x < paddedWidth; ++x) {
      monoImage[r][x] = grayImage[r][x] > t ? 255 : 0;
    }
  }
}

// Stucki error diffusion over the padded area, rows in stored order (bottom
// row first). Weights: 8, 4 to the right; 2, 4, 8, 4, 2 on the next row and
// 1, 2, 4, 2, 1 on the one after, for columns x - 2 .. x + 2 (those left of
// column 0 skipped); each share is trunc(weight * e / 42), e signed. The
// work array has row stride W, so error passing the right edge lands on the
// first columns of the following row; two extra rows take the shares of the
// last rows.
void LogoBitmap::DiffuseError() {
  if (!FitsWorkImages()) return;
  const int w = paddedWidth;
  const int h = paddedHeight;
  std::vector<std::uint8_t> a(static_cast<std::size_t>(h + 4) * (w + 4), 0);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      a[static_cast<std::size_t>(r) * w + x] = InsidePicture(x, r) ? grayImage[r][x] : 0;
    }
  }
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      const std::size_t p = static_cast<std::size_t>(r) * w + x;
      const int g = a[p];
      int e = g;
      if (g > 128) {
        monoImage[r][x] = 255;
        e = g - 255;
      } else {
        monoImage[r][x] = 0;
      }
      // Below 6 every share trunc(weight * e / 42) is 0.
      if (e >= 6) Spread<true>(a.data(), p, static_cast<std::size_t>(w), x, e);
      if (e <= -6) Spread<false>(a.data(), p, static_cast<std::size_t>(w), x, e);
    }
  }
}

}  // namespace brindle
