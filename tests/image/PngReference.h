#pragma once
// Reads the BMP suite's reference PNG pictures with libpng, as 8-bit RGB
// rows top-down, so that decoded BMP pixels can be compared with them.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace brindle::test {

struct RgbPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;    // row 0 is the top row
  std::vector<std::uint8_t> alpha;  // 255 where the file has no alpha
  bool ok = false;
};

// 16-bit channels are scaled to 8 bits and alpha is kept apart without
// blending, so the colour values are those stored in the file.
inline RgbPicture ReadPngRgb(const std::string& path) {
  RgbPicture pic;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return pic;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    pic.ok = false;
    return pic;
  }
  png_init_io(png, f);
  png_read_png(png, info,
               PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 |
                   PNG_TRANSFORM_GRAY_TO_RGB,
               nullptr);
  pic.width = png_get_image_width(png, info);
  pic.height = png_get_image_height(png, info);
  png_bytepp rows = png_get_rows(png, info);
  const std::uint32_t channels = png_get_channels(png, info);
  pic.rgb.resize(static_cast<std::size_t>(pic.width) * pic.height * 3);
  pic.alpha.assign(static_cast<std::size_t>(pic.width) * pic.height, 255);
  for (std::uint32_t y = 0; y < pic.height; ++y) {
    for (std::uint32_t x = 0; x < pic.width; ++x) {
      const png_bytep p = rows[y] + x * channels;
      const std::size_t at = static_cast<std::size_t>(y) * pic.width + x;
      std::copy(p, p + 3, pic.rgb.begin() + at * 3);
      if (channels == 4) pic.alpha[at] = p[3];
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  pic.ok = true;
  return pic;
}

}  // namespace brindle::test
