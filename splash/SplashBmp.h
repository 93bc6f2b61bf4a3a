#pragma once
// Decoder for the splash picture's file format: uncompressed 24-bit BMP.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "splash/SplashPixels.h"

namespace brindle {

// Largest width and height accepted; a splash bigger than any screen is a
// damaged resource, not a picture.
inline constexpr int SplashBmpMaxSide = 8192;

// Decodes a 24-bit BI_RGB BMP (BITMAPINFOHEADER or a larger header; rows
// bottom-up, or top-down for a negative height; rows padded to 4 bytes) into
// top-down RGB. Anything else, and any size or offset that does not fit in
// `size` bytes, gives nullopt. Safe on any input.
std::optional<RgbImage> DecodeBmp24(const std::uint8_t* data, std::size_t size);

}  // namespace brindle
