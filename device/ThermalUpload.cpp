#include "device/ThermalUpload.h"

#include <memory>
#include <vector>

#include "device/LogoPathList.h"
#include "image/LogoConversion.h"

namespace brindle {
namespace {

// Whether the upload's conversion of `path` will produce a raster: the file
// loads, and the picture fits the working images (pictures that need
// conversion) and the raster buffer.
bool LogoWillPack(LogoBitmap& logo, const std::string& path) {
  const int needsConversion = logo.ProbeHeader(path);
  if (logo.LoadBitmapFile(path) == 0) return false;
  if (needsConversion != 0 && !logo.FitsWorkImages()) return false;
  return logo.FitsRaster();
}

// ESC @ and FS q n: one write on USB, else two writes with the pause the
// printer needs to reset between them.
int SendDefine(IPort& port, PortKind kind, std::uint8_t count, IClock& clock) {
  if (kind == PortKind::Usb) {
    const std::uint8_t start[5] = {0x1B, 0x40, 0x1C, 0x71, count};
    return port.Write(start, sizeof start) == 1 ? 1 : 0;
  }
  const std::uint8_t init[2] = {0x1B, 0x40};
  if (port.Write(init, sizeof init) != 1) return 0;
  clock.Sleep(kThermalInitWaitMs);
  const std::uint8_t define[3] = {0x1C, 0x71, count};
  return port.Write(define, sizeof define) == 1 ? 1 : 0;
}

// One image block: its header, then the raster, one chunked write on USB
// after its pause, else one write per byte, ending at the first failure.
int SendImage(IPort& port, PortKind kind, const std::uint8_t header[4],
              const std::uint8_t* raster, std::size_t length, IClock& clock) {
  if (port.Write(header, 4) != 1) return 0;
  if (kind == PortKind::Usb) {
    clock.Sleep(kThermalUsbHeaderWaitMs);
    return port.WriteChunked(raster, length) == 1 ? 1 : 0;
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (port.Write(raster + i, 1) != 1) return 0;
  }
  return 1;
}

}  // namespace

void ThermalImageHeader(int paddedWidth, int paddedHeight, std::uint8_t header[4]) {
  const unsigned x = static_cast<unsigned>(paddedWidth / 8);
  const unsigned y = static_cast<unsigned>(paddedHeight / 8);
  header[0] = static_cast<std::uint8_t>(x % 256);
  header[1] = static_cast<std::uint8_t>(x / 256);
  header[2] = static_cast<std::uint8_t>(y % 256);
  header[3] = static_cast<std::uint8_t>(y / 256);
}

int SendThermalLogos(IPort& port, PortKind kind, const std::string& logoPathList,
                     std::int16_t halftone, std::int16_t level, LogoBitmap& logo, IClock& clock) {
  // The count byte must match the blocks that follow, and every block must
  // be buildable before FS q commits the printer to receiving them all.
  const std::vector<std::string> paths = SplitLogoPathList(logoPathList);
  if (paths.empty() || paths.size() > kMaxThermalImages) return 0;
  for (const std::string& path : paths) {
    if (!LogoWillPack(logo, path)) return 0;
  }

  if (SendDefine(port, kind, static_cast<std::uint8_t>(paths.size()), clock) == 0) return 0;
  for (const std::string& path : paths) {
    if (kind == PortKind::Usb) logo.raster.fill(0);
    // A file changed or removed since the check above packs nothing; no
    // header may be sent for it.
    const LogoConversion c = ConvertLogo(logo, path, static_cast<std::uint16_t>(halftone),
                                         static_cast<std::uint16_t>(level));
    if (c.loaded == 0 || c.columnBytes == 0 || logo.rasterLength <= 0) return 0;

    std::uint8_t header[4];
    ThermalImageHeader(logo.paddedWidth, logo.paddedHeight, header);
    const auto length = static_cast<std::size_t>(logo.rasterLength);
    if (SendImage(port, kind, header, logo.raster.data(), length, clock) == 0) return 0;
  }
  return 1;
}

std::optional<std::vector<ThermalImage>> PrepareThermalImages(const std::string& logoPathList,
                                                              std::int16_t halftone,
                                                              std::int16_t level) {
  const std::vector<std::string> paths = SplitLogoPathList(logoPathList);
  if (paths.empty() || paths.size() > kMaxThermalImages) return std::nullopt;
  auto logo = std::make_unique<LogoBitmap>();
  std::vector<ThermalImage> images;
  for (const std::string& path : paths) {
    if (!LogoWillPack(*logo, path)) return std::nullopt;
    const LogoConversion c = ConvertLogo(*logo, path, static_cast<std::uint16_t>(halftone),
                                         static_cast<std::uint16_t>(level));
    if (c.loaded == 0 || c.columnBytes == 0 || logo->rasterLength <= 0) return std::nullopt;
    ThermalImage& image = images.emplace_back();
    ThermalImageHeader(logo->paddedWidth, logo->paddedHeight, image.header.data());
    image.raster.assign(logo->raster.begin(), logo->raster.begin() + logo->rasterLength);
  }
  return images;
}

int SendThermalImages(IPort& port, PortKind kind, const std::vector<ThermalImage>& images,
                      IClock& clock) {
  if (images.empty() || images.size() > kMaxThermalImages) return 0;
  if (SendDefine(port, kind, static_cast<std::uint8_t>(images.size()), clock) == 0) return 0;
  for (const ThermalImage& image : images) {
    if (SendImage(port, kind, image.header.data(), image.raster.data(), image.raster.size(),
                  clock) == 0) {
      return 0;
    }
  }
  return 1;
}

}  // namespace brindle
