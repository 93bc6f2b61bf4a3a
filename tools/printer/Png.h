#pragma once
// PNG files of dot pictures: a dot is one black pixel on white paper.
// Written as 8-bit greyscale through libpng's simplified interface.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

// The PNG bytes of `raster` (which must not be empty); empty on failure.
std::vector<std::uint8_t> EncodePng(const Raster& raster);
// Any PNG decoded to dots: a pixel darker than mid-grey is a dot.
// Nothing when the bytes are not a PNG libpng can read.
std::optional<Raster> DecodePng(const std::vector<std::uint8_t>& png);
std::optional<Raster> ReadPngFile(const std::string& path);

}  // namespace brindle::printer
