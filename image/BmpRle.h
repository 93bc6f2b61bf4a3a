#pragma once
// RLE8 and RLE4 decoding into uncompressed bottom-up rows (internal to the
// reader).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Bmp.h"

namespace brindle::bmp {

// Decodes `size` bytes of RLE data for a picture of `width` x `height`
// pixels at `bits` (8 or 4) per pixel into `rows` (rowBytes x height bytes,
// already zeroed: pixels the stream skips keep colour-table index 0).
// Refuses (BadRle) any run, literal or delta that would place a pixel
// outside the picture, and a command cut off by the end of the data. A
// stream that ends without an end-of-bitmap code is accepted.
BmpError DecodeRle(const std::uint8_t* data, std::size_t size, int bits, std::int32_t width,
                   std::int32_t height, std::int64_t rowBytes, std::vector<std::uint8_t>& rows);

}  // namespace brindle::bmp
