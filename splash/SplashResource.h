#pragma once
// The bitmap resources compiled into the program (only the splash picture).
#include <cstdint>
#include <optional>
#include <span>

#include "splash/SplashPixels.h"

namespace brindle {

// The stored bytes of bitmap resource `id` (a BMP file), or an empty span
// when the program has no such resource.
std::span<const std::uint8_t> BitmapResourceBytes(int id);

// Bitmap resource `id` decoded to RGB; nullopt when it is missing or damaged.
std::optional<RgbImage> LoadBitmapResource(int id);

}  // namespace brindle
