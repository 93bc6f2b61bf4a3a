#include "image/Bmp.h"

#include <cstring>

#include "image/BmpHeader.h"
#include "image/BmpRle.h"
#include "image/FileBytes.h"

namespace brindle {
namespace {

using bmp::Header;
using bmp::Le32;

// An RLE stream may stand for far more rows than its own length (a run of 2
// bytes makes 255 pixels, an end-of-line code a whole row), but not without
// bound: the decoded rows may take at most this many bytes per stored byte,
// plus a small allowance for nearly empty pictures.
constexpr std::uint64_t kRleBytesPerStoredByte = 256;
constexpr std::uint64_t kRleAllowance = 64u << 10;

void ReadPalette(const std::uint8_t* data, const Header& h, std::vector<BmpColour>& palette) {
  palette.resize(h.paletteCount);
  for (std::size_t k = 0; k < h.paletteCount; ++k) {
    const std::uint8_t* e = data + h.paletteStart + k * h.paletteEntrySize;
    palette[k] = BmpColour{e[0], e[1], e[2]};
  }
}

// Copies uncompressed rows, turning top-down files bottom-up.
BmpError CopyRows(const std::uint8_t* data, std::size_t size, const Header& h,
                  std::vector<std::uint8_t>& rows) {
  const std::uint64_t total = static_cast<std::uint64_t>(h.rowBytes) * h.height;
  if (total > size - h.dataOffset) return BmpError::Truncated;
  rows.resize(total);
  const std::size_t rb = static_cast<std::size_t>(h.rowBytes);
  for (std::int32_t r = 0; r < h.height; ++r) {
    const std::int32_t stored = h.topDown ? h.height - 1 - r : r;
    std::memcpy(rows.data() + static_cast<std::size_t>(r) * rb,
                data + h.dataOffset + static_cast<std::size_t>(stored) * rb, rb);
  }
  return BmpError::None;
}

int MaskShift(std::uint32_t mask) {
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  return shift;
}

// Scales the channel of `value` under `mask` (contiguous; 0 gives 0) of n
// bits with value c to 0..255 as (c * 255 + (2^n - 1) div 2) div (2^n - 1).
// With `topBits`, channels wider than 8 bits keep their top 8 bits instead
// (how 32-bit pixels have always been read).
std::uint8_t Channel(std::uint32_t value, std::uint32_t mask, bool topBits) {
  if (mask == 0) return 0;
  const int shift = MaskShift(mask);
  const std::uint64_t max = mask >> shift;
  const std::uint64_t v = (value & mask) >> shift;
  if (topBits && max >= 255) {
    int bits = 0;
    while ((max >> bits) != 0) ++bits;
    return static_cast<std::uint8_t>(v >> (bits - 8));
  }
  return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

// Rewrites 32-bit BITFIELDS pixels with other than the usual masks into
// B, G, R, 0, the order the conversion reads.
void NormaliseBitfields32(BmpImage& img) {
  if (img.redMask == 0x00FF0000 && img.greenMask == 0x0000FF00 && img.blueMask == 0x000000FF) {
    return;
  }
  for (std::size_t at = 0; at + 4 <= img.pixels.size(); at += 4) {
    std::uint8_t* p = img.pixels.data() + at;
    const std::uint32_t v = Le32(p);
    p[0] = Channel(v, img.blueMask, true);
    p[1] = Channel(v, img.greenMask, true);
    p[2] = Channel(v, img.redMask, true);
    p[3] = 0;
  }
  img.redMask = 0x00FF0000;
  img.greenMask = 0x0000FF00;
  img.blueMask = 0x000000FF;
}

std::uint32_t IndexAt(const BmpImage& img, const std::uint8_t* row, std::int32_t x) {
  switch (img.bitsPerPixel) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 4:
      return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0Fu;
    default:
      return row[x];
  }
}

// Every pixel of an indexed picture must name an existing colour-table entry.
BmpError CheckIndices(const BmpImage& img) {
  if (img.bitsPerPixel > 8 || img.palette.size() >= (std::size_t{1} << img.bitsPerPixel)) {
    return BmpError::None;
  }
  for (std::int32_t r = 0; r < img.height; ++r) {
    const std::uint8_t* row = img.pixels.data() + static_cast<std::size_t>(r) * img.rowBytes;
    for (std::int32_t x = 0; x < img.width; ++x) {
      if (IndexAt(img, row, x) >= img.palette.size()) return BmpError::BadIndex;
    }
  }
  return BmpError::None;
}

BmpError DecodePixels(const std::uint8_t* data, std::size_t size, const Header& h,
                      BmpImage& img) {
  if (h.compression != bmp::kRle8 && h.compression != bmp::kRle4) {
    return CopyRows(data, size, h, img.pixels);
  }
  const std::uint64_t total = static_cast<std::uint64_t>(h.rowBytes) * h.height;
  std::size_t stored = size - h.dataOffset;
  if (h.sizeImage != 0 && h.sizeImage < stored) stored = h.sizeImage;
  if (total > kRleBytesPerStoredByte * stored + kRleAllowance) return BmpError::TooLarge;
  img.pixels.assign(total, 0);
  return bmp::DecodeRle(data + h.dataOffset, stored, h.bitsPerPixel, h.width, h.height,
                        h.rowBytes, img.pixels);
}

}  // namespace

std::int64_t BmpRowBytes(std::int64_t width, std::int64_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

BmpError ReadBmp(const std::uint8_t* data, std::size_t size, BmpImage& out) {
  out = BmpImage{};
  Header h;
  if (BmpError e = bmp::ParseHeader(data, size, h); e != BmpError::None) return e;

  BmpImage img;
  img.width = h.width;
  img.height = h.height;
  img.rowBytes = static_cast<std::int32_t>(h.rowBytes);
  img.planes = h.planes;
  img.bitsPerPixel = h.bitsPerPixel;
  img.redMask = h.redMask;
  img.greenMask = h.greenMask;
  img.blueMask = h.blueMask;
  ReadPalette(data, h, img.palette);
  if (BmpError e = DecodePixels(data, size, h, img); e != BmpError::None) return e;
  if (BmpError e = CheckIndices(img); e != BmpError::None) return e;
  if (img.bitsPerPixel == 32) NormaliseBitfields32(img);
  out = std::move(img);
  return BmpError::None;
}

BmpError ReadBmpFile(const std::string& path, BmpImage& out) {
  out = BmpImage{};
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxBmpFileBytes, bytes)) return BmpError::CannotRead;
  return ReadBmp(bytes.data(), bytes.size(), out);
}

BmpColour PixelColour(const BmpImage& image, std::int32_t x, std::int32_t row) {
  if (x < 0 || row < 0 || x >= image.width || row >= image.height) return BmpColour{};
  const std::uint8_t* p = image.pixels.data() + static_cast<std::size_t>(row) * image.rowBytes;
  switch (image.bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
      const std::uint32_t index = IndexAt(image, p, x);
      return index < image.palette.size() ? image.palette[index] : BmpColour{};
    }
    case 16: {
      const std::uint32_t v = bmp::Le16(p + 2 * static_cast<std::size_t>(x));
      return BmpColour{Channel(v, image.blueMask, false), Channel(v, image.greenMask, false),
                       Channel(v, image.redMask, false)};
    }
    case 24:
      p += 3 * static_cast<std::size_t>(x);
      return BmpColour{p[0], p[1], p[2]};
    case 32:
      p += 4 * static_cast<std::size_t>(x);
      return BmpColour{p[0], p[1], p[2]};
    default:
      return BmpColour{};
  }
}

const char* BmpErrorName(BmpError error) {
  switch (error) {
    case BmpError::None: return "none";
    case BmpError::CannotRead: return "cannot read";
    case BmpError::NotBmp: return "not a BMP file";
    case BmpError::BadHeader: return "bad header";
    case BmpError::Unsupported: return "unsupported";
    case BmpError::BadDimensions: return "bad dimensions";
    case BmpError::BadOffset: return "bad pixel data offset";
    case BmpError::BadPalette: return "bad colour table";
    case BmpError::BadMasks: return "bad channel masks";
    case BmpError::Truncated: return "truncated";
    case BmpError::BadRle: return "bad RLE data";
    case BmpError::BadIndex: return "colour index beyond the table";
    case BmpError::TooLarge: return "too large";
  }
  return "unknown";
}

}  // namespace brindle
