#pragma once
// The "Dot" logo upload: the first listed logo, sent as 8-dot bands.
//
// Wire format: a first write of 1B 40 1B 6F 00 (ESC @, ESC o 0; over TCP/IP
// 1B 6F 00 1B 40), a wait (100 ms on COM, 50 ms elsewhere), then one packet
// per band, top to bottom, each one write of W + 9 bytes:
//   1B 58 2A j  1B 2A 01 nL nH  d1 ... dW
// j the band number, n = W = paddedWidth, nL = n mod 256, nH = n div 256,
// and the band's column bytes. Packets go through WriteTimed on LPT and USB
// and through Write on COM and TCP/IP. The dots are those of the preview:
// a 1-bit picture's black pixels, or the black-and-white conversion of any
// other picture (with the halftone mode and level of the upload); the
// padding to multiples of 8 is blank.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "device/PortKind.h"
#include "port/Port.h"

namespace brindle {

// Packet buffers: a band packet of W + 9 bytes must fit.
inline constexpr std::size_t kDotPacketBufferCom = 0x20000;  // 131,072
inline constexpr std::size_t kDotPacketBuffer = 0x24000;     // 147,456
inline constexpr std::size_t kDotPacketPrefix = 9;
// The band number is one byte: at most 256 bands of 8 dots.
inline constexpr int kDotMaxHeight = 2048;
inline constexpr int kDotComInitWaitMs = 100;
inline constexpr int kDotInitWaitMs = 50;

// Whether a picture of the padded size can be sent in the variant `kind`:
// its band packet fits the variant's buffer and its band numbers do not
// repeat.
bool DotLogoFits(PortKind kind, int paddedWidth, int paddedHeight);

// The 9 bytes that open band `band` of a picture `width` columns wide.
void DotBandPrefix(int band, int width, std::uint8_t prefix[kDotPacketPrefix]);

// The first logo of a list, converted and packed into bands once, for
// streams sent to several printers.
struct DotBands {
  int width = 0;   // padded, in dots
  int height = 0;  // padded, in dots
  std::vector<std::uint8_t> bands;
};

// Loads and converts the first logo of `logoPathList` as SendDotLogo does;
// nothing when it would refuse it before sending (DotLogoFits aside).
std::optional<DotBands> PrepareDotLogo(const std::string& logoPathList, std::int16_t halftone,
                                       std::int16_t level);

// Sends prepared bands in the variant of `kind`, as SendDotLogo sends the
// logo they came from; 0 with nothing sent when DotLogoFits refuses them.
int SendDotBands(IPort& port, PortKind kind, const DotBands& logo, IClock& clock);

// Sends the first logo of `logoPathList` through `port` in the variant of
// `kind`, converting it with `halftone` (nonzero: error diffusion) and
// `level` when it is not 1-bit. Returns 1 when every band was sent, 0
// otherwise. Refused with nothing sent: a list without "|", a file that
// does not load, does not fit the raster buffer or (converted) the working
// images, a picture that DotLogoFits refuses. A failed write ends the
// stream at once.
int SendDotLogo(IPort& port, PortKind kind, const std::string& logoPathList,
                std::int16_t halftone, std::int16_t level, IClock& clock);

}  // namespace brindle
