#include "image/LogoPicture.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "image/FileBytes.h"
#include "image/LogoLimits.h"

namespace brindle {
namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* signature,
                std::size_t length) {
  return data != nullptr && size >= length && std::memcmp(data, signature, length) == 0;
}

DecodeStatus Decode(PictureFormat format, const std::uint8_t* data, std::size_t size,
                    SizeCheck fits, BmpImage& out) {
  switch (format) {
    case PictureFormat::Png: return DecodePng(data, size, fits, out);
    case PictureFormat::Jpeg: return DecodeJpeg(data, size, fits, out);
    default: return DecodeGif(data, size, fits, out);
  }
}

// The last logo decoded under FitsLogo and the bytes it came from. The
// size query, the load and the palette probe of one logo each read the
// same file in turn; they decode it once. Logos are small (at most 512 x
// 648 pixels), so keeping one costs little.
struct LastLogo {
  std::mutex mutex;
  std::vector<std::uint8_t> file;
  BmpImage image;
};

LastLogo& TheLastLogo() {
  static LastLogo last;
  return last;
}

}  // namespace

PictureFormat SniffPictureFormat(const std::uint8_t* data, std::size_t size) {
  if (StartsWith(data, size, "BM", 2)) return PictureFormat::Bmp;
  if (StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::Png;
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) {
    return PictureFormat::Gif;
  }
  return PictureFormat::Unknown;
}

PictureFormat SniffPictureFile(const std::string& path) {
  std::vector<std::uint8_t> head;
  if (!ReadFilePrefix(path, 8, head)) return PictureFormat::Unknown;
  return SniffPictureFormat(head.data(), head.size());
}

const char* PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Png: return "png";
    case PictureFormat::Jpeg: return "jpeg";
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Unknown: break;
  }
  return "-";
}

bool IsDecodedFormat(PictureFormat format) {
  return format == PictureFormat::Png || format == PictureFormat::Jpeg ||
         format == PictureFormat::Gif;
}

bool FitsLogo(std::int32_t width, std::int32_t height) {
  return LogoFitsDevice(24, width, height);
}

bool FitsBmpCaps(std::int32_t width, std::int32_t height) {
  return width > 0 && height > 0 && width <= kMaxBmpDimension && height <= kMaxBmpDimension &&
         static_cast<std::uint64_t>(BmpRowBytes(width, 24)) * height <= kMaxBmpPixelBytes;
}

DecodeStatus ReadPicture(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                         BmpImage& out) {
  const PictureFormat format = SniffPictureFormat(data, size);
  if (!IsDecodedFormat(format)) {
    return ReadBmp(data, size, out) == BmpError::None ? DecodeStatus::Ok : DecodeStatus::Refused;
  }
  if (fits != FitsLogo) return Decode(format, data, size, fits, out);
  LastLogo& last = TheLastLogo();
  const std::lock_guard<std::mutex> lock(last.mutex);
  if (size == last.file.size() && std::equal(data, data + size, last.file.begin())) {
    out = last.image;
    return DecodeStatus::Ok;
  }
  const DecodeStatus status = Decode(format, data, size, fits, out);
  if (status == DecodeStatus::Ok) {
    last.file.assign(data, data + size);
    last.image = out;
  }
  return status;
}

DecodeStatus ReadPictureFile(const std::string& path, SizeCheck fits, BmpImage& out) {
  out = BmpImage{};
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxBmpFileBytes, bytes)) return DecodeStatus::Refused;
  return ReadPicture(bytes.data(), bytes.size(), fits, out);
}

}  // namespace brindle
