#include "device/DotUpload.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "image/LogoConversion.h"

namespace brindle {

bool DotLogoFits(PortKind kind, int paddedWidth, int paddedHeight) {
  if (paddedWidth <= 0 || paddedHeight <= 0 || paddedHeight > kDotMaxHeight) return false;
  const std::size_t buffer = kind == PortKind::Com ? kDotPacketBufferCom : kDotPacketBuffer;
  return static_cast<std::size_t>(paddedWidth) + kDotPacketPrefix <= buffer;
}

void DotBandPrefix(int band, int width, std::uint8_t prefix[kDotPacketPrefix]) {
  // nH is the width's high byte, so widths of 512 columns and more are
  // stated correctly too.
  const unsigned n = static_cast<unsigned>(width);
  const std::uint8_t bytes[kDotPacketPrefix] = {
      0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(band), 0x1B, 0x2A, 0x01,
      static_cast<std::uint8_t>(n % 256), static_cast<std::uint8_t>(n / 256)};
  std::copy(bytes, bytes + kDotPacketPrefix, prefix);
}

std::optional<DotBands> PrepareDotLogo(const std::string& logoPathList, std::int16_t halftone,
                                       std::int16_t level) {
  const std::size_t bar = logoPathList.find('|');
  if (bar == std::string::npos) return std::nullopt;
  const std::string path = logoPathList.substr(0, bar);
  auto logo = std::make_unique<LogoBitmap>();
  const LogoConversion c = ConvertLogo(*logo, path, static_cast<std::uint16_t>(halftone),
                                       static_cast<std::uint16_t>(level), RasterOrder::Bands);
  if (c.loaded == 0 || c.columnBytes == 0) return std::nullopt;
  return DotBands{logo->paddedWidth, logo->paddedHeight,
                  std::vector<std::uint8_t>(logo->raster.begin(),
                                            logo->raster.begin() + logo->rasterLength)};
}

int SendDotBands(IPort& port, PortKind kind, const DotBands& logo, IClock& clock) {
  const int width = logo.width;
  if (!DotLogoFits(kind, width, logo.height)) return 0;

  const std::uint8_t initTcp[5] = {0x1B, 0x6F, 0x00, 0x1B, 0x40};
  const std::uint8_t init[5] = {0x1B, 0x40, 0x1B, 0x6F, 0x00};
  if (port.Write(kind == PortKind::Tcp ? initTcp : init, 5) != 1) return 0;
  clock.Sleep(kind == PortKind::Com ? kDotComInitWaitMs : kDotInitWaitMs);

  const bool timed = kind == PortKind::Lpt || kind == PortKind::Usb;
  const std::size_t n = static_cast<std::size_t>(width);
  std::vector<std::uint8_t> packet(n + kDotPacketPrefix);
  const std::uint8_t* source = logo.bands.data();
  for (int band = 0; band < logo.height / 8; ++band, source += n) {
    DotBandPrefix(band, width, packet.data());
    std::copy(source, source + n, packet.begin() + kDotPacketPrefix);
    const int sent = timed ? port.WriteTimed(packet.data(), packet.size())
                           : port.Write(packet.data(), packet.size());
    if (sent == 0) return 0;
  }
  return 1;
}

int SendDotLogo(IPort& port, PortKind kind, const std::string& logoPathList,
                std::int16_t halftone, std::int16_t level, IClock& clock) {
  // The picture is loaded, converted and checked before the first byte, so
  // that no band is ever built from a picture that did not load or cannot
  // be sent.
  const std::optional<DotBands> logo = PrepareDotLogo(logoPathList, halftone, level);
  return logo ? SendDotBands(port, kind, *logo, clock) : 0;
}

}  // namespace brindle
