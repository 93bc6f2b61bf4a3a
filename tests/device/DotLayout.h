#pragma once
// The device bytes a picture should give, worked out from the dot layout:
// one byte per 8 vertical dots, the top dot in the most significant bit,
// sizes padded to multiples of 8 with blank dots.
#include <cstdint>
#include <vector>

#include "support/Bmp.h"

namespace brindle::test {

inline int Padded(int n) { return (n + 7) / 8 * 8; }

// The byte of the 8 dots from row 8 * band down in column x.
inline std::uint8_t DotByte(int width, int height, const Picture& black, int x, int band) {
  std::uint8_t byte = 0;
  for (int k = 0, y = 8 * band; k < 8; ++k, ++y) {
    if (x < width && y < height && black(x, y)) byte |= static_cast<std::uint8_t>(0x80 >> k);
  }
  return byte;
}

// "Thermal" order: down each column, columns left to right.
inline std::vector<std::uint8_t> ColumnRaster(int width, int height, const Picture& black) {
  std::vector<std::uint8_t> out;
  for (int x = 0; x < Padded(width); ++x) {
    for (int b = 0; b < Padded(height) / 8; ++b) out.push_back(DotByte(width, height, black, x, b));
  }
  return out;
}

// "Dot" order: band `b` alone, along the band.
inline std::vector<std::uint8_t> BandBytes(int width, int height, const Picture& black, int b) {
  std::vector<std::uint8_t> out;
  for (int x = 0; x < Padded(width); ++x) out.push_back(DotByte(width, height, black, x, b));
  return out;
}

// The test picture: every third column black, and the whole top row.
inline bool Stripes(int x, int y) { return x % 3 == 0 || y == 0; }

}  // namespace brindle::test
