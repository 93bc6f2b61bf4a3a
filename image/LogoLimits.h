#pragma once
// The sizes of picture that Brindle can store, in one place: the logo list
// refuses what the upload could not convert or pack, the upload checks
// every file against the same rules before its first byte, and the
// command-line tool reports them.
#include <cstddef>
#include <cstdint>

namespace brindle {

// Pictures that need conversion go through working images of this many
// dots, once padded to multiples of 8.
inline constexpr int kMaxConvertWidth = 512;
inline constexpr int kMaxConvertHeight = 648;
// The raster buffer that holds the packed dots of one upload.
inline constexpr std::size_t kRasterBytes = 0x30000;  // 196,608

// `v` rounded up to a multiple of 8.
constexpr std::int64_t PaddedToEight(std::int64_t v) { return (v + 7) / 8 * 8; }

// Bytes of device image data: the width rounded up to a multiple of 8 times
// the height in 8-dot rows, rounded up.
int LogoDeviceSize(int width, int height);

// Whether an upload can convert and pack a picture of this depth and size:
// 1-bit pictures are packed directly into the raster buffer, all others go
// through the working images first.
bool LogoFitsDevice(int bitsPerPixel, int width, int height);

}  // namespace brindle
