#pragma once
// The "Thermal" NV upload: one FS q define command that replaces every NV
// bit image of the printer with the listed logos.
//
// Wire format, all variants: 1B 40 (ESC @), 1C 71 n (FS q, n images), then
// per image in list order the header xL xH yL yH (x = paddedWidth / 8,
// y = paddedHeight / 8, little-endian) and x * y * 8 raster bytes in column
// order. The variants group the writes differently:
//   COM, LPT, TCP: ESC @ | wait 100 ms | FS q n | per image: header |
//                  one Write per raster byte.
//   USB:           ESC @ FS q n as one 5-byte Write | per image: header |
//                  wait 50 ms | the raster as one WriteChunked.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "device/PortKind.h"
#include "image/LogoBitmap.h"
#include "port/Port.h"

namespace brindle {

// The image count goes out as one byte.
inline constexpr std::size_t kMaxThermalImages = 255;
inline constexpr int kThermalInitWaitMs = 100;
inline constexpr int kThermalUsbHeaderWaitMs = 50;

// Sends the logos of `logoPathList` through `port` in the variant of
// `kind`, converting each with `logo` (reused for every image; the USB
// variant's caller keeps one for the program's life). `halftone` (nonzero:
// error diffusion) and `level` go to the conversion. Returns 1 when the
// whole set was sent, 0 otherwise.
//
// Refused with nothing sent: a list without "|", a list of more than 255
// logos, and a list naming a file that does not load or a picture beyond
// the image buffers (every file is checked before the first byte). A file
// that stops loading during the stream ends it before that file's header.
// A failed write ends the stream at once; nothing follows it.
int SendThermalLogos(IPort& port, PortKind kind, const std::string& logoPathList,
                     std::int16_t halftone, std::int16_t level, LogoBitmap& logo, IClock& clock);

// One converted image block, for streams sent to several printers.
struct ThermalImage {
  std::array<std::uint8_t, 4> header{};
  std::vector<std::uint8_t> raster;
};

// Converts every logo of the list once, as SendThermalLogos would; nothing
// when SendThermalLogos would refuse the list.
std::optional<std::vector<ThermalImage>> PrepareThermalImages(const std::string& logoPathList,
                                                              std::int16_t halftone,
                                                              std::int16_t level);

// Sends converted images exactly as SendThermalLogos sends the logos they
// came from. Returns 1 when the whole set was sent, 0 otherwise.
int SendThermalImages(IPort& port, PortKind kind, const std::vector<ThermalImage>& images,
                      IClock& clock);

// The 4-byte image block header for a padded picture size in dots.
void ThermalImageHeader(int paddedWidth, int paddedHeight, std::uint8_t header[4]);

}  // namespace brindle
