#pragma once
// Hand-written byte streams, hand-drawn dot pictures, random input and
// temporary directories for the printer's tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tools/printer/Decoder.h"
#include "tools/printer/Raster.h"

namespace brindle::printer::test {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using SizeAndDots = std::pair<std::pair<int, int>, std::vector<std::pair<int, int>>>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes Repeat(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

// A picture drawn as text, each row with how often it repeats: '#' is a
// dot, anything else blank paper.
inline Raster Picture(const std::vector<std::pair<int, std::string>>& rows) {
  Strings lines;
  for (const auto& [count, row] : rows) lines.insert(lines.end(), count, row);
  Raster r(lines.empty() ? 0 : static_cast<int>(lines[0].size()), static_cast<int>(lines.size()));
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) r.Set(x, y, lines[y][x] == '#');
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

// The size of a sparse picture and its dots, row by row.
inline SizeAndDots DotsOf(const Raster& r) {
  SizeAndDots out{{r.width, r.height}, {}};
  for (int i = 0; i < r.width * r.height; ++i) {
    if (r.At(i % r.width, i / r.width)) out.second.emplace_back(i % r.width, i / r.width);
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

inline Strings Lines(const std::vector<Command>& commands) {
  Strings out;
  for (const Command& c : commands) out.push_back(LogLine(c, ""));
  return out;
}

// The worked "Thermal" example: one 200 x 100 picture, padded to 200 x 104,
// x = 25 and y = 13 units, 2600 raster bytes. Four dots are set by hand:
// (0,0) by byte 0 = 80, (0,103) by byte 12 = 01 (the foot of column 0),
// (1,1) by byte 13 = 40 (the head of column 1) and (199,103) by the last
// byte = 01.
inline Bytes ThermalExample() {
  Bytes out = Bytes{0x1B, 0x40, 0x1C, 0x71, 0x01, 0x19, 0x00, 0x0D, 0x00} + Repeat(0x00, 2600);
  out[9 + 0] = 0x80, out[9 + 12] = 0x01, out[9 + 13] = 0x40, out[9 + 2599] = 0x01;
  return out;
}
inline const SizeAndDots kThermalDots{{200, 104}, {{0, 0}, {1, 1}, {0, 103}, {199, 103}}};

// The worked "Dot" example over COM: 300 x 20 padded to 304 x 24, three
// bands of 304 columns: 1B 40 1B 6F 00, then per band 1B 58 2A j
// 1B 2A 01 30 01 and 304 bytes. Band 0 is all 80 (its top row), band 1
// all FF, band 2 all 01 (its bottom row).
inline const std::uint8_t kDotFill[] = {0x80, 0xFF, 0x01};
inline Bytes DotExample() {
  Bytes out{0x1B, 0x40, 0x1B, 0x6F, 0x00};
  for (std::uint8_t j = 0; j < 3; ++j) {
    out = out + Bytes{0x1B, 0x58, 0x2A, j, 0x1B, 0x2A, 0x01, 0x30, 0x01} + Repeat(kDotFill[j], 304);
  }
  return out;
}

// An 8 x 8 image block (x = 1, y = 1): column 0 full, columns 1 and 2 only
// their bottom dot, column 7 only its top dot.
inline const Bytes kSmallBlock{0x01, 0x00, 0x01, 0x00,  // x = 1, y = 1
                               0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80};
inline Raster SmallImage() { return Picture({{1, "#......#"}, {6, "#......."}, {1, "###....."}}); }

// A 16 x 8 image block (x = 2, y = 1): every column one dot, falling to
// the right: column c has the dot in row c mod 8.
inline Bytes StairBlock() {
  Bytes out{0x02, 0x00, 0x01, 0x00};
  for (int c = 0; c < 16; ++c) out.push_back(static_cast<std::uint8_t>(0x80 >> (c % 8)));
  return out;
}
inline Raster Stair() {
  Raster r(16, 8);
  for (int c = 0; c < 16; ++c) r.Set(c, c % 8);
  return r;
}

// Random bytes, half of them bytes that commands are made of, so that deep
// command states are reached; and a few random edits of a valid input.
inline Bytes RandomStream(std::mt19937& rng, std::size_t maxSize) {
  static const std::uint8_t interesting[] = {0x1B, 0x1C, 0x1D, 0x0A, 0x0D, 0x10, 0x04, 0x40, 0x71,
                                             0x70, 0x65, 0x56, 0x42, 0x49, 0x6F, 0x58, 0x2A, 0x6D,
                                             0x00, 0x01, 0x02, 0x30, 0x33, 0x20, 0x21, 0xFF};
  Bytes out(rng() % (maxSize + 1));
  for (auto& b : out) b = static_cast<std::uint8_t>(rng() % 2 ? interesting[rng() % 26] : rng());
  return out;
}
inline Bytes Mutate(Bytes bytes, std::mt19937& rng) {
  for (int i = 1 + static_cast<int>(rng() % 4); i > 0 && !bytes.empty(); --i) {
    const auto at = bytes.begin() + static_cast<long>(rng() % bytes.size());
    switch (rng() % 3) {
      case 0: *at = static_cast<std::uint8_t>(rng()); break;
      case 1: bytes.erase(at); break;
      default: bytes.insert(at, static_cast<std::uint8_t>(rng()));
    }
  }
  return bytes;
}

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = std::filesystem::temp_directory_path() / "brindle-printer-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::error_code ignored_;
};

inline std::string ReadText(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace brindle::printer::test
