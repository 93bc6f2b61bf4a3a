#pragma once
// Helpers for hand-written byte streams and hand-drawn dot pictures.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/printer/Decoder.h"
#include "tools/printer/Raster.h"

namespace brindle::printer::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes Repeat(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

// A picture drawn as text: '#' is a dot, anything else blank paper.
inline Raster Picture(std::initializer_list<const char*> rows) {
  std::vector<std::string> lines(rows.begin(), rows.end());
  Raster r(lines.empty() ? 0 : static_cast<int>(lines[0].size()), static_cast<int>(lines.size()));
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) r.Set(x, y, lines[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#');
  }
  return r;
}

// The picture back as text, so that a failed comparison shows the dots.
inline std::string Draw(const Raster& r) {
  std::string out;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) out += r.At(x, y) ? '#' : '.';
    out += '\n';
  }
  return out;
}

inline std::vector<Command> DecodeAll(const Bytes& bytes) {
  Decoder decoder;
  std::vector<Command> out;
  decoder.Feed(bytes.data(), bytes.size(), out);
  decoder.Finish(out);
  return out;
}

inline std::vector<std::string> Lines(const std::vector<Command>& commands) {
  std::vector<std::string> out;
  for (const Command& c : commands) out.push_back(LogLine(c, ""));
  return out;
}

// The worked "Thermal" example: one 200 x 100 picture, padded to 200 x 104,
// x = 25 and y = 13 units, 2600 raster bytes. Four dots are set by hand:
// (0,0) by byte 0 = 80, (0,103) by byte 12 = 01 (the foot of column 0),
// (1,1) by byte 13 = 40 (the head of column 1) and (199,103) by the last
// byte = 01.
inline Bytes ThermalExample() {
  Bytes raster(2600, 0x00);
  raster[0] = 0x80;
  raster[12] = 0x01;
  raster[13] = 0x40;
  raster[2599] = 0x01;
  return Bytes{0x1B, 0x40, 0x1C, 0x71, 0x01, 0x19, 0x00, 0x0D, 0x00} + raster;
}

// The worked "Dot" example over COM: 300 x 20 padded to 304 x 24, three
// bands of 304 columns: 1B 40 1B 6F 00, then per band 1B 58 2A j
// 1B 2A 01 30 01 and 304 bytes. Band 0 is all 80 (its top row), band 1
// all FF, band 2 all 01 (its bottom row).
inline Bytes DotExample() {
  Bytes out{0x1B, 0x40, 0x1B, 0x6F, 0x00};
  const std::uint8_t fill[] = {0x80, 0xFF, 0x01};
  for (std::uint8_t j = 0; j < 3; ++j) {
    out = out + Bytes{0x1B, 0x58, 0x2A, j, 0x1B, 0x2A, 0x01, 0x30, 0x01} + Repeat(fill[j], 304);
  }
  return out;
}

// An 8 x 8 picture (x = 1, y = 1): column 0 full, columns 1 and 2 only
// their bottom dot, column 7 only its top dot.
inline Bytes SmallImageBlock() {
  return Bytes{0x01, 0x00, 0x01, 0x00, 0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80};
}

inline Raster SmallImage() {
  return Picture({"#......#",
                  "#.......",
                  "#.......",
                  "#.......",
                  "#.......",
                  "#.......",
                  "#.......",
                  "###....."});
}

// A 16 x 8 picture (x = 2, y = 1): every column one dot, falling to the
// right: column c has the dot in row c mod 8.
inline Bytes StairBlock() {
  Bytes out{0x02, 0x00, 0x01, 0x00};
  for (int c = 0; c < 16; ++c) out.push_back(static_cast<std::uint8_t>(0x80 >> (c % 8)));
  return out;
}

inline Raster Stair() {
  return Picture({"#.......#.......",
                  ".#.......#......",
                  "..#.......#.....",
                  "...#.......#....",
                  "....#.......#...",
                  ".....#.......#..",
                  "......#.......#.",
                  ".......#.......#"});
}

}  // namespace brindle::printer::test
