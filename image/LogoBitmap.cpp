#include "image/LogoBitmap.h"

#include <vector>

#include "image/BmpHeader.h"
#include "image/FileBytes.h"
#include "image/LogoPicture.h"

namespace brindle {
namespace {

// The probes look at the file header and the first bytes after the
// information header: 58 bytes for the usual 40-byte header, up to 142 for
// the 124-byte V5 header.
constexpr std::size_t kProbeBytes = 142;
enum ProbeKind { kProbeHeader, kProbePalette };

// Where the bit depth and colour-table entry 0 (or, without a table, the
// first stored pixel) lie. The usual 40-byte header puts them at 28 and 54;
// the other known header kinds move them, and reading the fixed offsets there
// would take a V5 true-colour file for a 1-bit one and read a 1-bit file's
// polarity from inside its header. Unknown sizes keep the usual offsets.
struct ProbeOffsets {
  std::size_t bits = 28;
  std::size_t entry0 = 54;
};

ProbeOffsets OffsetsFor(std::uint32_t headerSize) {
  switch (headerSize) {
    case 12:
      return {24, 26};
    case 16:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
      return {28, 14 + headerSize};
    default:
      return {};
  }
}

// The first bytes of the file, missing ones as 0; false unless at least 14
// bytes were there and they start with "BM".
bool ProbePrefix(const std::uint8_t* data, std::size_t size,
                 std::array<std::uint8_t, kProbeBytes>& head) {
  if (size < 14 || data[0] != 'B' || data[1] != 'M') return false;
  head.fill(0);
  for (std::size_t i = 0; i < size && i < kProbeBytes; ++i) head[i] = data[i];
  return true;
}

// needsConversion: the pixel data start at 54 (no colour table after a
// 40-byte header), or the depth is 4 or 8 bits, or a true-colour depth
// (16, 24, 32) whatever the header kind. paletteWhite: entry 0 (or the first
// stored pixel) is white.
int ProbeBytes(const std::uint8_t* data, std::size_t size, int which) {
  // A PNG, JPEG or GIF answers as the 24-bit BMP of its pixels: it needs
  // conversion, and its first stored pixel is its bottom-left one.
  if (IsDecodedFormat(SniffPictureFormat(data, size))) {
    if (which == kProbeHeader) return 1;
    BmpImage image;
    if (ReadPicture(data, size, FitsLogo, image) != DecodeStatus::Ok) return 0;
    return PixelColour(image, 0, 0) == BmpColour{0xFF, 0xFF, 0xFF} ? 1 : 0;
  }
  std::array<std::uint8_t, kProbeBytes> head{};
  if (!ProbePrefix(data, size, head)) return 0;
  const ProbeOffsets at = OffsetsFor(bmp::Le32(&head[14]));
  if (which == kProbeHeader) {
    const std::uint32_t offset = bmp::Le32(&head[10]);
    const std::uint16_t bits = bmp::Le16(&head[at.bits]);
    return (offset == 54 || bits == 8 || bits == 4 || bits == 16 || bits == 24 || bits == 32)
               ? 1
               : 0;
  }
  const std::uint8_t* e = &head[at.entry0];
  return (e[0] == 0xFF && e[1] == 0xFF && e[2] == 0xFF) ? 1 : 0;
}

}  // namespace

int ProbeHeaderBytes(const std::uint8_t* data, std::size_t size) {
  return ProbeBytes(data, size, kProbeHeader);
}

int ProbePaletteBytes(const std::uint8_t* data, std::size_t size) {
  return ProbeBytes(data, size, kProbePalette);
}

LogoBitmap::LogoBitmap() = default;
LogoBitmap::~LogoBitmap() = default;

int LogoBitmap::Probe(const std::string& path, int which) {
  rasterLength = 0;
  std::vector<std::uint8_t> head;
  if (!ReadFilePrefix(path, kProbeBytes, head)) return 0;
  // The palette probe of a decoded picture needs its pixels.
  if (which == kProbePalette && IsDecodedFormat(SniffPictureFormat(head.data(), head.size())) &&
      !ReadWholeFile(path, kMaxBmpFileBytes, head)) {
    return 0;
  }
  return ProbeBytes(head.data(), head.size(), which);
}

int LogoBitmap::ProbeHeader(const std::string& path) { return Probe(path, kProbeHeader); }

int LogoBitmap::ProbePalette(const std::string& path) { return Probe(path, kProbePalette); }

int LogoBitmap::LoadBitmapFile(const std::string& path) {
  rasterLength = 0;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxBmpFileBytes, bytes)) bytes.clear();
  return LoadBitmapData(bytes.data(), bytes.size());
}

int LogoBitmap::LoadBitmapData(const std::uint8_t* data, std::size_t size) {
  rasterLength = 0;
  auto loaded = std::make_unique<BmpImage>();
  // A failed load leaves no picture and no size, so that nothing can be
  // packed or announced from the size of a picture that is not there.
  if (data == nullptr || ReadPicture(data, size, FitsLogo, *loaded) != DecodeStatus::Ok) {
    picture.reset();
    description = PictureDescription{};
    paddedWidth = 0;
    paddedHeight = 0;
    return 0;
  }
  picture = std::move(loaded);
  description.width = picture->width;
  description.height = picture->height;
  description.planes = picture->planes;
  description.bitsPerPixel = picture->bitsPerPixel;
  description.pixels = picture->pixels.data();
  paddedWidth = ((description.width + 7) / 8) * 8;
  paddedHeight = ((description.height + 7) / 8) * 8;
  description.rowBytes = ((picture->rowBytes + 3) / 4) * 4;
  return 1;
}

bool LogoBitmap::FitsWorkImages() const {
  return paddedWidth <= kMaxConvertWidth && paddedHeight <= kMaxConvertHeight;
}

bool LogoBitmap::FitsRaster() const {
  const std::int64_t packed =
      static_cast<std::int64_t>(paddedWidth) * static_cast<std::int64_t>(paddedHeight) / 8;
  return rasterLength >= 0 && rasterLength + packed <= static_cast<std::int64_t>(kRasterBytes);
}

}  // namespace brindle
