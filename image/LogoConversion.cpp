#include "image/LogoConversion.h"

#include <memory>

#include "image/LogoPicture.h"
#include "image/TempFiles.h"

namespace brindle {

LogoConversion ConvertLogo(LogoBitmap& logo, const std::string& path, int halftoneMode,
                           std::uint16_t level, RasterOrder order) {
  LogoConversion c;
  c.needsConversion = logo.ProbeHeader(path);
  c.loaded = logo.LoadBitmapFile(path);
  c.paletteWhite = logo.ProbePalette(path);
  const bool bands = order == RasterOrder::Bands;
  if (c.needsConversion) {
    const bool diffuse = (halftoneMode & 0xFFFF) != 0;
    if (bands) {
      const bool fits = logo.FitsRaster() &&
                        (diffuse ? logo.ConvertDiffused(level) : logo.ConvertThreshold(level));
      c.columnBytes = fits ? logo.PackConvertedBands() : 0;
    } else {
      c.columnBytes = diffuse ? logo.PackDiffused(level) : logo.PackThreshold(level);
    }
  } else {
    c.columnBytes = bands ? logo.PackBands(c.paletteWhite) : logo.PackDirect(c.paletteWhite);
  }
  return c;
}

std::string MakePreviewFile(const std::string& path, int halftoneMode, std::uint16_t level) {
  auto logo = std::make_unique<LogoBitmap>();
  const LogoConversion c = ConvertLogo(*logo, path, halftoneMode, level);
  if (!c.needsConversion) return path;
  // A picture that was not written is never named: an older Temp.bmp is
  // not this file's conversion.
  if (logo->WritePreviewFile() != 1) return "";
  return TempFilePath(kPreviewFileName);
}

int QueryBitmapSize(const std::string& path, std::int32_t& bitsPerPixel, std::int32_t& height,
                    std::int32_t& width) {
  BmpImage image;
  const DecodeStatus status = ReadPictureFile(path, FitsLogo, image);
  if (status == DecodeStatus::Refused) return -1;
  // A picture too large to decode gives its declared size at 24 bits, so
  // that it is refused for its size as the 24-bit BMP would be.
  bitsPerPixel = status == DecodeStatus::Ok ? image.bitsPerPixel : 24;
  height = image.height;
  width = image.width;
  return 0;
}

}  // namespace brindle
