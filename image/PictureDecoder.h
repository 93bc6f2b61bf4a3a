#pragma once
// The decoders of the picture files a logo may be besides a BMP: PNG
// (libpng), JPEG (libjpeg) and GIF (giflib). Each turns a file into the
// rows the 24-bit BMP of the same pixels would hold: bottom-up, B, G, R,
// every row padded to a multiple of 4 bytes (a BmpImage of 24 bits per
// pixel), so that everything after loading treats it as that BMP.
//
// Contract, as for the BMP reader: safe on any input, refuse instead of
// guess. The declared width and height are checked with `fits` before any
// pixel is decoded or any room for pixels is taken; library errors and
// warnings (a truncated or corrupt file) end in a refusal.
#include <cstddef>
#include <cstdint>

#include "image/Bmp.h"

namespace brindle {

enum class DecodeStatus {
  Ok,
  TooLarge,  // `fits` refused the declared size: out.width and out.height hold it
  Refused,   // not this kind, corrupt, truncated, unsupported or absurd; `out` empty
};

// Whether pictures of this declared size may be decoded.
using SizeCheck = bool (*)(std::int32_t width, std::int32_t height);

// One decoder: `size` bytes at `data` into `out` (emptied first).
using PictureDecoderFn = DecodeStatus (*)(const std::uint8_t* data, std::size_t size,
                                          SizeCheck fits, BmpImage& out);

// Colours and alpha as libpng delivers them after png_set_expand: palette
// entries and tRNS become colours and alpha, gray of 1, 2 or 4 bits is
// scaled to 8 bits, gray g becomes (g, g, g), 16-bit samples are scaled
// with Scale16. Interlaced files are read pass by pass.
DecodeStatus DecodePng(const std::uint8_t* data, std::size_t size, SizeCheck fits, BmpImage& out);
// Pixels as libjpeg decodes them with its defaults (gray or RGB output; no
// orientation tag applied). CMYK files, more than kMaxJpegScans scans and
// any libjpeg warning (truncated or corrupt data) are refused.
DecodeStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                        BmpImage& out);
// The logical screen, white, with the first frame drawn at its position;
// its transparent index stays white. A frame outside the screen, a pixel
// naming no colour-map entry, a file without a frame are refused.
DecodeStatus DecodeGif(const std::uint8_t* data, std::size_t size, SizeCheck fits, BmpImage& out);

inline constexpr int kMaxJpegScans = 500;

// A 16-bit sample v as 8 bits: (v * 255 + 32767) / 65535.
constexpr std::uint8_t Scale16(unsigned v) {
  return static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u);
}

// Channel c with alpha a composited over white paper:
// (c * a + 255 * (255 - a) + 127) / 255.
constexpr std::uint8_t OverWhite(unsigned c, unsigned a) {
  return static_cast<std::uint8_t>((c * a + 255u * (255u - a) + 127u) / 255u);
}

// The start of every decoder once the header is read: a size that is not
// positive or beyond the BMP reader's dimension cap is Refused, one that
// `fits` refuses is TooLarge (with the size in `out`); otherwise `out`
// becomes a white 24-bit picture of that size, ready for PutPixel.
DecodeStatus StartRgb24(std::int64_t width, std::int64_t height, SizeCheck fits, BmpImage& out);

// The stored row of picture row y (y = 0 the top row) of a started picture.
inline std::uint8_t* TopDownRow(BmpImage& image, std::int32_t y) {
  return image.pixels.data() + static_cast<std::size_t>(image.height - 1 - y) * image.rowBytes;
}

// Stores the colour (r, g, b) with alpha a over white as B, G, R at `p`.
inline void PutBgr(std::uint8_t* p, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                   std::uint8_t a) {
  if (a == 255) {  // the same as the formula, without its arithmetic
    p[0] = b;
    p[1] = g;
    p[2] = r;
  } else {
    p[0] = OverWhite(b, a);
    p[1] = OverWhite(g, a);
    p[2] = OverWhite(r, a);
  }
}

// Sets the pixel in column x of row y (y = 0 the top row) to the colour
// (r, g, b) with alpha a over white. Positions outside are ignored.
inline void PutPixel(BmpImage& image, std::int32_t x, std::int32_t y, std::uint8_t r,
                     std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  PutBgr(TopDownRow(image, y) + 3 * static_cast<std::size_t>(x), r, g, b, a);
}

}  // namespace brindle
