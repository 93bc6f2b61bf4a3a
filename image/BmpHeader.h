#pragma once
// Parsing and validation of BMP file and information headers (internal to
// the reader). Every field the decoder later uses is checked here against
// the bytes the file actually holds.
#include <cstddef>
#include <cstdint>

#include "image/Bmp.h"

namespace brindle::bmp {

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitfields = 3,
  kAlphaBitfields = 6,
};

struct Header {
  std::uint32_t fileSize = 0;     // bfSize as stored (often wrong)
  std::uint32_t dataOffset = 0;   // bfOffBits
  std::uint32_t headerSize = 0;   // biSize
  std::int32_t width = 0;
  std::int32_t height = 0;        // absolute value of the stored height
  bool topDown = false;           // stored height was negative
  std::uint16_t planes = 0;
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t sizeImage = 0;
  std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  std::size_t paletteStart = 0;   // file offset of the colour table
  std::size_t paletteEntrySize = 4;
  std::size_t paletteCount = 0;   // entries to read (0 for true colour)
  std::int64_t rowBytes = 0;
};

// Reads and checks the headers of `size` bytes at `data`.
BmpError ParseHeader(const std::uint8_t* data, std::size_t size, Header& h);

inline std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace brindle::bmp
