#pragma once
// The bitmap resources compiled into the program (only the splash picture).
#include <cstddef>
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

// A BMP file's bytes as a top-down RGB picture, through the program's BMP
// reader; nullopt for anything that reader refuses.
std::optional<RgbImage> DecodeBmpPicture(const std::uint8_t* data, std::size_t size);

}  // namespace brindle
