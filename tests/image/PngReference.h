#pragma once
// Reads the BMP suite's reference PNG pictures with libpng, as 8-bit RGB
// rows top-down, so that decoded BMP pixels can be compared with them.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
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
  const std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!f || info == nullptr) {
    png_destroy_read_struct(&png, &info, nullptr);
    return pic;
  }
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f.get());
    png_read_png(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 | PNG_TRANSFORM_GRAY_TO_RGB,
                 nullptr);
    pic.width = png_get_image_width(png, info);
    pic.height = png_get_image_height(png, info);
    const png_bytepp rows = png_get_rows(png, info);
    const std::uint32_t channels = png_get_channels(png, info);
    for (std::uint32_t y = 0; y < pic.height; ++y) {
      for (const png_byte* p = rows[y]; p < rows[y] + pic.width * channels; p += channels) {
        pic.rgb.insert(pic.rgb.end(), p, p + 3);
        pic.alpha.push_back(channels == 4 ? p[3] : 255);
      }
    }
    pic.ok = true;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return pic;
}

}  // namespace brindle::test
