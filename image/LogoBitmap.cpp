#include "image/LogoBitmap.h"

#include <vector>

#include "image/BmpHeader.h"
#include "image/FileBytes.h"

namespace brindle {
namespace {

constexpr std::size_t kProbeBytes = 58;  // file header plus 44 bytes
enum ProbeKind { kProbeHeader, kProbePalette };

// The first 58 bytes of the file, missing ones as 0; false unless at least
// 14 bytes were there and they start with "BM".
bool ProbePrefix(const std::uint8_t* data, std::size_t size,
                 std::array<std::uint8_t, kProbeBytes>& head) {
  if (size < 14 || data[0] != 'B' || data[1] != 'M') return false;
  head.fill(0);
  for (std::size_t i = 0; i < size && i < kProbeBytes; ++i) head[i] = data[i];
  return true;
}

int ProbeBytes(const std::uint8_t* data, std::size_t size, int which) {
  std::array<std::uint8_t, kProbeBytes> head{};
  if (!ProbePrefix(data, size, head)) return 0;
  if (which == kProbeHeader) {
    const std::uint32_t offset = bmp::Le32(&head[10]);
    const std::uint16_t bits = bmp::Le16(&head[28]);
    return (offset == 54 || bits == 8 || bits == 4) ? 1 : 0;
  }
  return (head[54] == 0xFF && head[55] == 0xFF && head[56] == 0xFF) ? 1 : 0;
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
  if (data == nullptr || ReadBmp(data, size, *loaded) != BmpError::None) {
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
