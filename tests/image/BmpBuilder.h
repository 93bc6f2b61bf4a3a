#pragma once
// Builds small BMP files in memory for tests: headers are written field by
// field from the arguments, pixel rows are given as stored (bottom-up).
#include <cstdint>
#include <string>
#include <vector>

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpFields {
  std::uint32_t headerSize = 40;  // 12, 40, 108 or 124
  std::int32_t width = 1;
  std::int32_t height = 1;        // negative for top-down
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  // B, G, R per entry (a fourth zero byte is added unless headerSize is 12).
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // R, G, B, written after a 40-byte header
  Bytes pixels;                        // the stored pixel data, as is
};

inline void PutLe(Bytes& b, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline Bytes BuildBmp(const BmpFields& s) {
  Bytes b;
  const std::size_t entry = s.headerSize == 12 ? 3 : 4;
  const std::size_t offset = 14 + s.headerSize + 4 * s.masks.size() + entry * s.palette.size();
  b.push_back('B');
  b.push_back('M');
  PutLe(b, offset + s.pixels.size(), 4);
  PutLe(b, 0, 4);
  PutLe(b, offset, 4);
  PutLe(b, s.headerSize, 4);
  if (s.headerSize == 12) {
    PutLe(b, static_cast<std::uint16_t>(s.width), 2);
    PutLe(b, static_cast<std::uint16_t>(s.height), 2);
    PutLe(b, s.planes, 2);
    PutLe(b, s.bitsPerPixel, 2);
  } else {
    PutLe(b, static_cast<std::uint32_t>(s.width), 4);
    PutLe(b, static_cast<std::uint32_t>(s.height), 4);
    PutLe(b, s.planes, 2);
    PutLe(b, s.bitsPerPixel, 2);
    PutLe(b, s.compression, 4);
    PutLe(b, 0, 4);          // size of pixel data: may be 0
    PutLe(b, 2835, 4);       // 72 dots per inch
    PutLe(b, 2835, 4);
    PutLe(b, s.colorsUsed, 4);
    PutLe(b, 0, 4);
    for (std::uint32_t i = 40; i < s.headerSize; ++i) b.push_back(0);
  }
  for (std::uint32_t m : s.masks) PutLe(b, m, 4);
  for (std::uint32_t c : s.palette) {
    PutLe(b, c & 0xFFFFFF, 3);
    if (entry == 4) b.push_back(0);
  }
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

// A 24-bit picture whose pixels all have the colour (b, g, r), rows padded.
inline BmpFields Solid24(int width, int height, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red) {
  BmpFields s;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = 24;
  const int rowBytes = ((width * 24 + 31) / 32) * 4;
  s.pixels.assign(static_cast<std::size_t>(rowBytes) * height, 0);
  for (int r = 0; r < height; ++r) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &s.pixels[static_cast<std::size_t>(r) * rowBytes + 3 * x];
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
  return s;
}

// A 1-bit picture of the given size with every index 0 (rows padded),
// colour table {entry0, entry1}.
inline BmpFields Blank1(int width, int height, std::uint32_t entry0, std::uint32_t entry1) {
  BmpFields s;
  s.width = width;
  s.height = height;
  s.bitsPerPixel = 1;
  s.palette = {entry0, entry1};
  const int rowBytes = ((width + 31) / 32) * 4;
  s.pixels.assign(static_cast<std::size_t>(rowBytes) * height, 0);
  return s;
}

// Sets the 1-bit pixel (x, stored row r) of a Blank1 picture to index 1.
inline void SetBit(BmpFields& s, int x, int r) {
  const int rowBytes = ((s.width + 31) / 32) * 4;
  s.pixels[static_cast<std::size_t>(r) * rowBytes + x / 8] |=
      static_cast<std::uint8_t>(0x80 >> (x % 8));
}

}  // namespace brindle::test
