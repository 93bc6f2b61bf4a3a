#include "image/BmpHeader.h"

#include <algorithm>
#include <cstdlib>

namespace brindle::bmp {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
// Densities above this (about 25,400 dots per inch) describe no real device;
// such a header is damaged.
constexpr std::int64_t kMaxDensity = 1000000;

bool KnownHeaderSize(std::uint32_t size) {
  switch (size) {
    case 12:   // OS/2 1.x core header
    case 16:   // OS/2 2.x header cut after the bit depth
    case 40:   // information header
    case 52:   // information header with R, G, B masks
    case 56:   // ... and an alpha mask
    case 64:   // OS/2 2.x full header
    case 108:  // V4
    case 124:  // V5
      return true;
    default:
      return false;
  }
}

bool ValidDepth(std::uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Checks compression against depth and header kind. OS/2 2.x headers give
// 3 and 4 other meanings (Huffman 1-D, RLE24), which are not decoded.
BmpError CheckCompression(const Header& h) {
  const bool os2 = h.headerSize == 16 || h.headerSize == 64;
  switch (h.compression) {
    case kRgb:
      return BmpError::None;
    case kRle8:
      return h.bitsPerPixel == 8 ? BmpError::None : BmpError::Unsupported;
    case kRle4:
      return h.bitsPerPixel == 4 ? BmpError::None : BmpError::Unsupported;
    case kBitfields:
    case kAlphaBitfields:
      if (os2) return BmpError::Unsupported;
      return (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) ? BmpError::None
                                                            : BmpError::Unsupported;
    default:
      return BmpError::Unsupported;
  }
}

bool ContiguousMask(std::uint32_t mask) {
  if (mask == 0) return false;
  while ((mask & 1u) == 0) mask >>= 1;
  return (mask & (mask + 1)) == 0;
}

// Channel masks must be non-empty runs of bits inside the pixel that do not
// overlap; anything else cannot be turned into colours.
BmpError CheckMasks(const Header& h) {
  const std::uint64_t limit = (std::uint64_t{1} << h.bitsPerPixel) - 1;
  for (std::uint32_t m : {h.redMask, h.greenMask, h.blueMask}) {
    if (!ContiguousMask(m) || m > limit) return BmpError::BadMasks;
  }
  if ((h.redMask & h.greenMask) || (h.redMask & h.blueMask) || (h.greenMask & h.blueMask)) {
    return BmpError::BadMasks;
  }
  return BmpError::None;
}

// Reads the information header fields present in a header of h.headerSize
// bytes starting at `p`; absent fields keep their zero defaults.
void ReadInfoFields(const std::uint8_t* p, Header& h, std::int32_t& rawHeight,
                    std::int32_t& xDensity, std::int32_t& yDensity, std::uint32_t& colorsUsed) {
  h.width = static_cast<std::int32_t>(Le32(p + 4));
  rawHeight = static_cast<std::int32_t>(Le32(p + 8));
  h.planes = Le16(p + 12);
  h.bitsPerPixel = Le16(p + 14);
  if (h.headerSize >= 20) h.compression = Le32(p + 16);
  if (h.headerSize >= 24) h.sizeImage = Le32(p + 20);
  if (h.headerSize >= 32) {
    xDensity = static_cast<std::int32_t>(Le32(p + 24));
    yDensity = static_cast<std::int32_t>(Le32(p + 28));
  }
  if (h.headerSize >= 36) colorsUsed = Le32(p + 32);
  if (h.headerSize >= 52 && h.headerSize != 64) {
    h.redMask = Le32(p + 40);
    h.greenMask = Le32(p + 44);
    h.blueMask = Le32(p + 48);
  }
}

// Sets the masks of BITFIELDS data held in a separate block after a 40-byte
// header, or the defaults of uncompressed 16- and 32-bit data; returns the
// size of that block.
BmpError PlaceMasks(const std::uint8_t* data, std::size_t size, Header& h, std::size_t& block) {
  block = 0;
  const bool bitfields = h.compression == kBitfields || h.compression == kAlphaBitfields;
  if (bitfields && h.headerSize == 40) {
    block = h.compression == kAlphaBitfields ? 16 : 12;
    const std::size_t at = kFileHeaderSize + h.headerSize;
    if (at + block > size) return BmpError::BadHeader;
    h.redMask = Le32(data + at);
    h.greenMask = Le32(data + at + 4);
    h.blueMask = Le32(data + at + 8);
  } else if (!bitfields && h.bitsPerPixel == 16) {
    h.redMask = 0x7C00;
    h.greenMask = 0x03E0;
    h.blueMask = 0x001F;
  } else if (!bitfields && h.bitsPerPixel == 32) {
    h.redMask = 0x00FF0000;
    h.greenMask = 0x0000FF00;
    h.blueMask = 0x000000FF;
  }
  if (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) return CheckMasks(h);
  return BmpError::None;
}

// Works out how many colour-table entries to read. An explicit count that
// the space before the pixel data cannot hold marks a damaged file; without
// one, the space decides (OS/2 files often store fewer than 2^bits entries).
BmpError PlacePalette(Header& h, std::uint32_t colorsUsed, bool core) {
  const std::size_t available =
      h.dataOffset > h.paletteStart ? (h.dataOffset - h.paletteStart) / h.paletteEntrySize : 0;
  if (h.bitsPerPixel > 8) {
    h.paletteCount = 0;
    return BmpError::None;
  }
  const std::size_t maxEntries = std::size_t{1} << h.bitsPerPixel;
  std::size_t declared = maxEntries;
  if (!core && colorsUsed != 0) {
    if (colorsUsed > available) return BmpError::BadPalette;
    declared = colorsUsed;
  }
  h.paletteCount = std::min({declared, available, maxEntries});
  return h.paletteCount == 0 ? BmpError::BadPalette : BmpError::None;
}

}  // namespace

BmpError ParseHeader(const std::uint8_t* data, std::size_t size, Header& h) {
  h = Header{};
  if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return BmpError::NotBmp;
  h.fileSize = Le32(data + 2);
  h.dataOffset = Le32(data + 10);
  h.headerSize = Le32(data + 14);
  if (!KnownHeaderSize(h.headerSize)) return BmpError::BadHeader;
  if (kFileHeaderSize + h.headerSize > size) return BmpError::BadHeader;
  // A file that says it is longer than it is has been cut off.
  if (h.fileSize > size) return BmpError::Truncated;

  const std::uint8_t* p = data + kFileHeaderSize;
  const bool core = h.headerSize == 12;
  std::int32_t rawHeight = 0, xDensity = 0, yDensity = 0;
  std::uint32_t colorsUsed = 0;
  if (core) {
    h.width = Le16(p + 4);
    rawHeight = Le16(p + 6);
    h.planes = Le16(p + 8);
    h.bitsPerPixel = Le16(p + 10);
    h.paletteEntrySize = 3;
  } else {
    ReadInfoFields(p, h, rawHeight, xDensity, yDensity, colorsUsed);
  }

  if (h.planes != 1) return BmpError::BadHeader;
  if (std::llabs(xDensity) > kMaxDensity || std::llabs(yDensity) > kMaxDensity) {
    return BmpError::BadHeader;
  }
  if (!ValidDepth(h.bitsPerPixel)) return BmpError::Unsupported;
  if (BmpError e = CheckCompression(h); e != BmpError::None) return e;

  const std::int64_t height64 = rawHeight;
  if (h.width <= 0 || h.width > kMaxBmpDimension || height64 == 0 ||
      std::llabs(height64) > kMaxBmpDimension) {
    return BmpError::BadDimensions;
  }
  h.topDown = rawHeight < 0;
  h.height = static_cast<std::int32_t>(std::llabs(height64));
  // Compressed rows cannot run top-down.
  if (h.topDown && (h.compression == kRle8 || h.compression == kRle4)) {
    return BmpError::BadDimensions;
  }
  h.rowBytes = BmpRowBytes(h.width, h.bitsPerPixel);
  if (static_cast<std::uint64_t>(h.rowBytes) * static_cast<std::uint64_t>(h.height) >
      kMaxBmpPixelBytes) {
    return BmpError::TooLarge;
  }

  std::size_t maskBlock = 0;
  if (BmpError e = PlaceMasks(data, size, h, maskBlock); e != BmpError::None) return e;
  h.paletteStart = kFileHeaderSize + h.headerSize + maskBlock;
  if (h.dataOffset < h.paletteStart || h.dataOffset >= size) return BmpError::BadOffset;
  if (BmpError e = PlacePalette(h, colorsUsed, core); e != BmpError::None) return e;
  if (h.sizeImage != 0 && h.sizeImage > size - h.dataOffset) return BmpError::Truncated;
  return BmpError::None;
}

}  // namespace brindle::bmp
