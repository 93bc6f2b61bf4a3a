#pragma once
// Picture kinds the preview can show, told from the path, and the rounded
// scaling the picture sizes use.
#include <cstdint>
#include <string>

namespace brindle {

enum class PictureKindValue { Bitmap, Icon, Jpeg, Gif, Unsupported };

// Searches an upper-case copy of the path for ".BMP", ".ICO", ".JPG",
// ".JPEG", ".GIF" in that order; the first whose first occurrence lies at a
// position greater than 0 decides. The texts count anywhere in the path, so
// "LOGO.BMP.GIF" is a bitmap.
PictureKindValue PictureKind(const std::string& path);

// a * b / c in 64 bits, rounded to the nearest integer with halves away from
// zero; -1 when c is 0 or the result does not fit 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

}  // namespace brindle
