#pragma once
// Small BMP files for the stream tests, written field by field, and the
// device bytes a picture should give, worked out from the dot layout: one
// byte per 8 vertical dots, the top dot in the most significant bit, sizes
// padded to multiples of 8 with blank dots.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brindle::test {

// Whether the pixel in column x of row y (y = 0 the top row) is black.
using Picture = std::function<bool(int x, int y)>;

inline void PutLe(std::string& s, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline std::string BmpHeaders(int width, int height, int bits, std::uint32_t paletteBytes,
                              std::uint32_t pixelBytes) {
  std::string s = "BM";
  const std::uint32_t offset = 54 + paletteBytes;
  const std::uint32_t fields[][2] = {
      {offset + pixelBytes, 4}, {0, 4}, {offset, 4}, {40, 4}, {std::uint32_t(width), 4},
      {std::uint32_t(height), 4}, {1, 2}, {std::uint32_t(bits), 2}, {0, 4}, {pixelBytes, 4},
      {2835, 4}, {2835, 4}, {bits == 1 ? 2u : 0u, 4}, {0, 4}};
  for (const auto& f : fields) PutLe(s, f[0], static_cast<int>(f[1]));
  return s;
}

// A file of 1 bit (colour entry 0 white when `entry0White`, else black) or
// 24 bits per pixel, bottom row first.
inline std::string Bmp(int width, int height, int bits, bool entry0White, const Picture& black) {
  const std::uint32_t row = ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4;
  std::string s = BmpHeaders(width, height, bits, bits == 1 ? 8 : 0, row * height);
  if (bits == 1) {
    PutLe(s, entry0White ? 0xFFFFFF : 0, 4);
    PutLe(s, entry0White ? 0 : 0xFFFFFF, 4);
  }
  for (int y = height - 1; y >= 0; --y) {
    std::string bytes(row, '\0');
    for (int x = 0; x < width; ++x) {
      if (bits == 24) {
        bytes.replace(3 * x, 3, 3, black(x, y) ? '\0' : '\xFF');
      } else if (black(x, y) == entry0White) {  // colour index 1
        bytes[x / 8] = static_cast<char>(bytes[x / 8] | (0x80 >> (x % 8)));
      }
    }
    s += bytes;
  }
  return s;
}
inline std::string Bmp1(int width, int height, bool entry0White, const Picture& black) {
  return Bmp(width, height, 1, entry0White, black);
}
inline std::string Bmp24(int width, int height, const Picture& black) {
  return Bmp(width, height, 24, false, black);
}

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
