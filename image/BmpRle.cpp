#include "image/BmpRle.h"

namespace brindle::bmp {
namespace {

// Writes pixels at the cursor; the caller has checked the bounds.
class RowWriter {
 public:
  RowWriter(std::vector<std::uint8_t>& rows, std::int64_t rowBytes, int bits)
      : rows_(rows), rowBytes_(rowBytes), bits_(bits) {}

  void Put(std::int64_t x, std::int64_t y, std::uint8_t value) {
    std::uint8_t* row = rows_.data() + y * rowBytes_;
    if (bits_ == 8) {
      row[x] = value;
    } else if (x % 2 == 0) {
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & 0x0F) | (value << 4));
    } else {
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & 0xF0) | (value & 0x0F));
    }
  }

 private:
  std::vector<std::uint8_t>& rows_;
  std::int64_t rowBytes_;
  int bits_;
};

}  // namespace

BmpError DecodeRle(const std::uint8_t* data, std::size_t size, int bits, std::int32_t width,
                   std::int32_t height, std::int64_t rowBytes, std::vector<std::uint8_t>& rows) {
  RowWriter out(rows, rowBytes, bits);
  std::int64_t x = 0, y = 0;
  std::size_t i = 0;
  // Every pixel written must lie inside the picture: n pixels from x need
  // x + n <= width on a row y < height.
  auto fits = [&](std::int64_t n) { return y < height && x + n <= width; };

  while (i + 1 < size) {
    const std::uint8_t count = data[i];
    const std::uint8_t value = data[i + 1];
    i += 2;
    if (count > 0) {
      // Encoded run: RLE4 alternates the two halves of the value byte.
      if (!fits(count)) return BmpError::BadRle;
      for (int k = 0; k < count; ++k) {
        std::uint8_t v = bits == 8 ? value : (k % 2 == 0 ? value >> 4 : value & 0x0F);
        out.Put(x + k, y, v);
      }
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return BmpError::None;
    } else if (value == 2) {  // delta: move right and up
      if (i + 2 > size) return BmpError::BadRle;
      x += data[i];
      y += data[i + 1];
      i += 2;
      if (x > width || y > height) return BmpError::BadRle;
    } else {
      // Literal run of `value` pixels, padded to a 16-bit boundary.
      const std::size_t bytes = bits == 8 ? value : (value + 1u) / 2;
      const std::size_t padded = bytes + (bytes & 1u);
      if (i + bytes > size || !fits(value)) return BmpError::BadRle;
      for (int k = 0; k < value; ++k) {
        std::uint8_t v = bits == 8 ? data[i + k]
                                   : (k % 2 == 0 ? data[i + k / 2] >> 4 : data[i + k / 2] & 0x0F);
        out.Put(x + k, y, v);
      }
      x += value;
      i += padded < size - i ? padded : size - i;
    }
  }
  return BmpError::None;
}

}  // namespace brindle::bmp
