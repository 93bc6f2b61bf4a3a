#pragma once
// Dot pictures as the virtual printer holds them. A Raster is a plain grid
// of dots (one byte per dot, 1 = printed) used for pages and PNG output;
// NvImage and DotLogo keep the bytes exactly as the printer received them
// and answer dot queries from that layout.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brindle::printer {

struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dots;  // row-major, width * height entries

  Raster() = default;
  Raster(int w, int h) : width(w), height(h), dots(static_cast<std::size_t>(w) * h, 0) {}
  bool At(int x, int y) const { return dots[static_cast<std::size_t>(y) * width + x] != 0; }
  void Set(int x, int y, bool on = true) {
    dots[static_cast<std::size_t>(y) * width + x] = on ? 1 : 0;
  }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Raster&) const = default;
};

// One image of the FS q set: x units of 8 dots across, y units of 8 dots
// down, x * y * 8 bytes. The bytes run down each column (y bytes per
// column), columns left to right; the most significant bit is the top dot.
struct NvImage {
  int xUnits = 0;
  int yUnits = 0;
  std::vector<std::uint8_t> bytes;

  int Width() const { return xUnits * 8; }
  int Height() const { return yUnits * 8; }
  bool Dot(int x, int y) const {
    std::size_t index = static_cast<std::size_t>(x) * yUnits + static_cast<std::size_t>(y / 8);
    return (bytes[index] >> (7 - y % 8)) & 1;
  }
  Raster ToRaster() const;
  bool operator==(const NvImage&) const = default;
};

// The logo of a "Dot" printer: bands of 8 dot rows, top to bottom, each a
// run of column bytes (most significant bit the band's top row). Bands may
// differ in length; the logo is as wide as its widest band and a band
// that never arrived prints blank.
struct DotLogo {
  std::vector<std::vector<std::uint8_t>> bands;

  int Width() const;
  int Height() const { return static_cast<int>(bands.size()) * 8; }
  bool Dot(int x, int y) const {
    const auto& band = bands[static_cast<std::size_t>(y / 8)];
    return static_cast<std::size_t>(x) < band.size() && ((band[x] >> (7 - y % 8)) & 1);
  }
  Raster ToRaster() const;
  bool operator==(const DotLogo&) const = default;
};

}  // namespace brindle::printer
