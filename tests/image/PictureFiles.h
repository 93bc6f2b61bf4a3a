#pragma once
// Builds small PNG and GIF files in memory for tests, field by field: PNG
// chunks by hand (zlib for IDAT and the CRCs), GIF records with giflib's
// encoder.
#include <gif_lib.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

struct PngFields {
  std::uint32_t width = 1, height = 1;
  int bitDepth = 8, colourType = 6;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
  Bytes palette{}, transparency{};   // PLTE and tRNS contents, as stored
  std::vector<unsigned> samples{};   // every sample of every pixel, top row first
};

inline void PutBe32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

inline void PutChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBe32(png, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBe32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// Rows with filter type 0, samples packed most significant bits first.
inline Bytes BuildPng(const PngFields& f) {
  static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
  const std::size_t perRow = f.width * kChannels[f.colourType];
  Bytes raw;
  for (std::size_t at = 0; at < f.samples.size(); at += perRow) {
    raw.push_back(0);
    unsigned bits = 0, used = 0;
    for (std::size_t i = at; i < at + perRow; ++i) {
      if (f.bitDepth == 16) {
        raw.insert(raw.end(), {static_cast<std::uint8_t>(f.samples[i] >> 8),
                               static_cast<std::uint8_t>(f.samples[i])});
        continue;
      }
      bits = bits << f.bitDepth | (f.samples[i] & ((1u << f.bitDepth) - 1));
      used += f.bitDepth;
      for (; used >= 8; used -= 8) raw.push_back(static_cast<std::uint8_t>(bits >> (used - 8)));
    }
    if (used > 0) raw.push_back(static_cast<std::uint8_t>(bits << (8 - used)));
  }
  uLongf packed = compressBound(static_cast<uLong>(raw.size()));
  Bytes idat(packed);
  compress(idat.data(), &packed, raw.data(), static_cast<uLong>(raw.size()));
  idat.resize(packed);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBe32(ihdr, f.width);
  PutBe32(ihdr, f.height);
  ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(f.bitDepth),
                           static_cast<std::uint8_t>(f.colourType), 0, 0, 0});
  PutChunk(png, "IHDR", ihdr);
  if (!f.palette.empty()) PutChunk(png, "PLTE", f.palette);
  if (!f.transparency.empty()) PutChunk(png, "tRNS", f.transparency);
  PutChunk(png, "IDAT", idat);
  PutChunk(png, "IEND", {});
  return png;
}

struct GifFields {
  int screenWidth = 1, screenHeight = 1;
  std::vector<std::uint32_t> colours{};  // 0xRRGGBB, up to 256
  int left = 0, top = 0, width = 1, height = 1;
  int transparent = -1;  // a graphic control extension when >= 0
  Bytes indices{};       // width x height, top row first
};

inline int AppendGifBytes(GifFileType* gif, const GifByteType* data, int count) {
  static_cast<Bytes*>(gif->UserData)->insert(static_cast<Bytes*>(gif->UserData)->end(), data,
                                             data + count);
  return count;
}

inline Bytes BuildGif(const GifFields& f) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendGifBytes, &error);
  std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < f.colours.size(); ++i) {
    colours[i] = {static_cast<GifByteType>(f.colours[i] >> 16),
                  static_cast<GifByteType>(f.colours[i] >> 8), static_cast<GifByteType>(f.colours[i])};
  }
  int entries = 2;
  while (entries < static_cast<int>(f.colours.size())) entries *= 2;
  ColorMapObject* map = GifMakeMapObject(entries, colours.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, f.screenWidth, f.screenHeight, 8, 0, map);
  if (f.transparent >= 0) {
    const GraphicsControlBlock control{0, false, 0, f.transparent};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
  }
  EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, nullptr);
  Bytes row;
  for (int y = 0; y < f.height; ++y) {
    row.assign(f.indices.begin() + y * f.width, f.indices.begin() + (y + 1) * f.width);
    EGifPutLine(gif, row.data(), f.width);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

}  // namespace brindle::test
