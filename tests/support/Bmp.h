#pragma once
// Small BMP files built in memory: the headers field by field, the pixel
// rows as stored (bottom-up); or a picture given by its black pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/LogoBitmap.h"

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpFields {
  std::uint32_t headerSize = 40;  // 12, 40, 108 or 124
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative for top-down
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> palette{};  // 0x00RRGGBB, stored B, G, R (, 0)
  std::vector<std::uint32_t> masks{};    // R, G, B, after the header
  Bytes pixels{};
};

inline Bytes BuildBmp(const BmpFields& s) {
  Bytes b = {'B', 'M'};
  auto put = [&b](std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  const bool core = s.headerSize == 12;
  const std::size_t offset =
      14 + s.headerSize + 4 * s.masks.size() + (core ? 3 : 4) * s.palette.size();
  for (std::uint64_t v : {offset + s.pixels.size(), 0ul, offset, std::size_t{s.headerSize}}) {
    put(v, 4);
  }
  put(static_cast<std::uint32_t>(s.width), core ? 2 : 4);
  put(static_cast<std::uint32_t>(s.height), core ? 2 : 4);
  put(s.planes, 2);
  put(s.bitsPerPixel, 2);
  if (!core) {
    // Compression, image size 0, 72 dots per inch, colours used, important.
    for (std::uint32_t v : {s.compression, 0u, 2835u, 2835u, s.colorsUsed, 0u}) put(v, 4);
    b.resize(b.size() + s.headerSize - 40, 0);
  }
  for (std::uint32_t m : s.masks) put(m, 4);
  for (std::uint32_t c : s.palette) put(c & 0xFFFFFF, core ? 3 : 4);
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

// `height` stored rows, each a copy of `row` padded to a multiple of 4 bytes.
inline Bytes Rows(Bytes row, int height) {
  row.resize((row.size() + 3) / 4 * 4, 0);
  Bytes rows;
  for (int r = 0; r < height; ++r) rows.insert(rows.end(), row.begin(), row.end());
  return rows;
}

// A 24-bit picture of one colour (b, g, r).
inline BmpFields Solid24(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  Bytes row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), {b, g, r});
  return {.width = width, .height = height, .pixels = Rows(row, height)};
}

// A 1-bit picture of index 0 everywhere, the colour table {entry0, entry1}.
inline BmpFields Blank1(int width, int height, std::uint32_t entry0, std::uint32_t entry1) {
  return {.width = width, .height = height, .bitsPerPixel = 1, .palette = {entry0, entry1},
          .pixels = Rows(Bytes((width + 7) / 8, 0), height)};
}

// The identity gray colour table: entry i is the gray (i, i, i).
inline std::vector<std::uint32_t> GrayPalette(int entries) {
  std::vector<std::uint32_t> palette;
  for (int i = 0; i < entries; ++i) palette.push_back(i * 255u / (entries - 1) * 0x010101);
  return palette;
}

// An 8-bit picture whose rows all hold the gray values `values` (the
// identity gray colour table).
inline BmpFields Indexed8(const Bytes& values, int height = 1) {
  return {.width = static_cast<int>(values.size()), .height = height, .bitsPerPixel = 8,
          .palette = GrayPalette(256), .pixels = Rows(values, height)};
}

// Whether the pixel in column x of row y (y = 0 the top row) is black.
using Picture = std::function<bool(int x, int y)>;

// A file of 1 bit (colour entry 0 white when `entry0White`, else black) or
// 24 bits per pixel (black and white).
inline std::string Bmp(int width, int height, int bits, bool entry0White, const Picture& black) {
  BmpFields s{.width = width, .height = height, .bitsPerPixel = static_cast<std::uint16_t>(bits)};
  if (bits == 1) s.palette = {entry0White ? 0xFFFFFFu : 0u, entry0White ? 0u : 0xFFFFFFu};
  for (int y = height - 1; y >= 0; --y) {
    Bytes bytes((static_cast<std::size_t>(width) * bits + 31) / 32 * 4, 0);
    for (int x = 0; x < width; ++x) {
      if (bits == 24) {
        for (int k = 0; k < 3; ++k) bytes[3 * x + k] = black(x, y) ? 0 : 0xFF;
      } else if (black(x, y) == entry0White) {  // colour index 1
        bytes[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    s.pixels.insert(s.pixels.end(), bytes.begin(), bytes.end());
  }
  const Bytes file = BuildBmp(s);
  return std::string(file.begin(), file.end());
}
inline std::string Bmp1(int width, int height, bool entry0White, const Picture& black) {
  return Bmp(width, height, 1, entry0White, black);
}
inline std::string Bmp24(int width, int height, const Picture& black) {
  return Bmp(width, height, 24, false, black);
}

inline std::unique_ptr<LogoBitmap> LoadLogo(const BmpFields& fields) {
  auto logo = std::make_unique<LogoBitmap>();
  const Bytes file = BuildBmp(fields);
  EXPECT_EQ(logo->LoadBitmapData(file.data(), file.size()), 1);
  return logo;
}

}  // namespace brindle::test
