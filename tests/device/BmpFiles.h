#pragma once
// Small BMP files for the stream tests, written field by field, and the
// device bytes a picture should give, worked out from the dot layout:
// one byte per 8 vertical dots, the top dot in the most significant bit,
// sizes padded to multiples of 8 with blank dots.
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
  PutLe(s, offset + pixelBytes, 4);
  PutLe(s, 0, 4);
  PutLe(s, offset, 4);
  PutLe(s, 40, 4);
  PutLe(s, static_cast<std::uint32_t>(width), 4);
  PutLe(s, static_cast<std::uint32_t>(height), 4);
  PutLe(s, 1, 2);
  PutLe(s, static_cast<std::uint32_t>(bits), 2);
  PutLe(s, 0, 4);
  PutLe(s, pixelBytes, 4);
  PutLe(s, 2835, 4);
  PutLe(s, 2835, 4);
  PutLe(s, bits == 1 ? 2 : 0, 4);
  PutLe(s, 0, 4);
  return s;
}

// A 1-bit file; colour entry 0 is white when `entry0White`, else black.
inline std::string Bmp1(int width, int height, bool entry0White, const Picture& black) {
  const std::uint32_t row = ((static_cast<std::uint32_t>(width) + 31) / 32) * 4;
  std::string s = BmpHeaders(width, height, 1, 8, row * static_cast<std::uint32_t>(height));
  const std::uint32_t white = 0x00FFFFFF, dark = 0;
  PutLe(s, entry0White ? white : dark, 4);
  PutLe(s, entry0White ? dark : white, 4);
  for (int stored = 0; stored < height; ++stored) {
    const int y = height - 1 - stored;
    std::string bytes(row, '\0');
    for (int x = 0; x < width; ++x) {
      const bool index1 = black(x, y) == entry0White;  // black is entry 1 on a white entry 0
      if (index1) bytes[x / 8] = static_cast<char>(bytes[x / 8] | (0x80 >> (x % 8)));
    }
    s += bytes;
  }
  return s;
}

// A 24-bit file of black and white pixels.
inline std::string Bmp24(int width, int height, const Picture& black) {
  const std::uint32_t row = ((static_cast<std::uint32_t>(width) * 24 + 31) / 32) * 4;
  std::string s = BmpHeaders(width, height, 24, 0, row * static_cast<std::uint32_t>(height));
  for (int stored = 0; stored < height; ++stored) {
    const int y = height - 1 - stored;
    std::string bytes(row, '\0');
    for (int x = 0; x < width; ++x) {
      const char v = black(x, y) ? '\0' : '\xFF';
      bytes[3 * x] = bytes[3 * x + 1] = bytes[3 * x + 2] = v;
    }
    s += bytes;
  }
  return s;
}

inline int Padded(int n) { return (n + 7) / 8 * 8; }

// The byte of the 8 dots from row 8 * band down in column x.
inline std::uint8_t DotByte(int width, int height, const Picture& black, int x, int band) {
  std::uint8_t byte = 0;
  for (int k = 0; k < 8; ++k) {
    const int y = 8 * band + k;
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

// "Dot" order: along one band, bands top to bottom; band b alone.
inline std::vector<std::uint8_t> BandBytes(int width, int height, const Picture& black, int b) {
  std::vector<std::uint8_t> out;
  for (int x = 0; x < Padded(width); ++x) out.push_back(DotByte(width, height, black, x, b));
  return out;
}

// The test picture: every third column black, and the whole top row.
inline bool Stripes(int x, int y) { return x % 3 == 0 || y == 0; }

}  // namespace brindle::test
