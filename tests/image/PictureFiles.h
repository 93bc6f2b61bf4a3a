#pragma once
// Small PNG files built in memory chunk by chunk, every header field chosen.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brindle::test {

struct PngFields {
  std::uint32_t width = 1, height = 1;
  int bitDepth = 8, colourType = 6;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
  std::vector<std::uint8_t> palette{}, transparency{};  // PLTE and tRNS, as stored
  std::vector<unsigned> samples{};  // every sample of every pixel, top row first
};

// Rows of filter type 0; samples of fewer than 8 bits packed high bits first.
inline std::vector<std::uint8_t> BuildPng(const PngFields& f) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, raw, ihdr;
  auto be32 = [](std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
  };
  auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
    be32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    be32(png, crc32(0, png.data() + start, static_cast<uInt>(png.size() - start)));
  };
  const std::size_t perRow = f.width * std::vector{1, 0, 3, 1, 2, 0, 4}[f.colourType];
  const int d = std::min(f.bitDepth, 8);  // 16-bit samples: the high byte, then these 8 bits
  for (std::size_t at = 0; at < f.samples.size(); at += perRow) {
    raw.push_back(0);
    unsigned bits = 0, used = 0;
    for (std::size_t i = at; i < at + perRow; ++i) {
      if (f.bitDepth == 16) raw.push_back(static_cast<std::uint8_t>(f.samples[i] >> 8));
      bits = bits << d | (f.samples[i] & ((1u << d) - 1));
      for (used += d; used >= 8; used -= 8) raw.push_back(std::uint8_t(bits >> (used - 8)));
    }
    if (used > 0) raw.push_back(static_cast<std::uint8_t>(bits << (8 - used)));
  }
  uLongf packed = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> idat(packed);
  compress(idat.data(), &packed, raw.data(), static_cast<uLong>(raw.size()));
  idat.resize(packed);
  be32(ihdr, f.width);
  be32(ihdr, f.height);
  ihdr.insert(ihdr.end(), {std::uint8_t(f.bitDepth), std::uint8_t(f.colourType), 0, 0, 0});
  chunk("IHDR", ihdr);
  if (!f.palette.empty()) chunk("PLTE", f.palette);
  if (!f.transparency.empty()) chunk("tRNS", f.transparency);
  chunk("IDAT", idat);
  chunk("IEND", {});
  return png;
}

}  // namespace brindle::test
