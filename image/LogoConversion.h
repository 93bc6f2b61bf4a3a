#pragma once
// The conversion a "Thermal" upload and the preview run for one logo file,
// and the preview conversion itself.
#include <cstdint>
#include <string>

#include "image/LogoBitmap.h"

namespace brindle {

struct LogoConversion {
  int needsConversion = 0;  // ProbeHeader
  int loaded = 0;           // LoadBitmapFile: 1 when the picture loaded
  int paletteWhite = 0;     // ProbePalette
  int columnBytes = 0;      // result of the packing; 0 when nothing was packed
};

// How the dots are laid out: down each column ("Thermal") or along each
// 8-dot band ("Dot").
enum class RasterOrder { Columns, Bands };

// ProbeHeader, LoadBitmapFile and ProbePalette of `path`, then one packing
// into `logo.raster` from rasterLength 0. A file that needs conversion is
// converted (error diffusion when the low 16 bits of `halftoneMode` are
// nonzero, else the level threshold) and its monoImage packed, the picture
// the preview shows; a 1-bit file is packed directly, its black pixels as
// dots. After it the raster to send is logo.raster[0 .. rasterLength - 1],
// and the image is logo.paddedWidth x logo.paddedHeight dots. A file that
// did not load, or a picture too large to pack, leaves columnBytes and
// rasterLength 0. In band order columnBytes is 1 when something was packed.
LogoConversion ConvertLogo(LogoBitmap& logo, const std::string& path, int halftoneMode,
                           std::uint16_t level, RasterOrder order = RasterOrder::Columns);

// Converts the file as a "Thermal" upload would, with its own LogoBitmap,
// and names the picture to show: for a file that needs conversion
// "Temp.bmp" in the temporary pictures' folder (rewritten from monoImage),
// otherwise the path itself. Empty when the converted picture could not be
// written (the picture did not load or convert, or the folder refused it).
std::string MakePreviewFile(const std::string& path, int halftoneMode, std::uint16_t level);

// The bit depth, height and width of a logo file as loaded (a PNG, JPEG or
// GIF as its 24-bit BMP, 24 bits; one beyond the logo sizes with its
// declared size, undecoded): 0 on success, -1 when the file cannot be
// loaded (the outputs are then unchanged).
int QueryBitmapSize(const std::string& path, std::int32_t& bitsPerPixel, std::int32_t& height,
                    std::int32_t& width);

}  // namespace brindle
