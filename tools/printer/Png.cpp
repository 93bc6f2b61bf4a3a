#include "tools/printer/Png.h"

#include <png.h>

#include <cstring>

#include "tools/printer/Files.h"

namespace brindle::printer {

std::vector<std::uint8_t> EncodePng(const Raster& raster) {
  if (raster.Empty()) return {};
  std::vector<std::uint8_t> pixels(raster.dots.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = raster.dots[i] ? 0 : 255;

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(raster.width);
  image.height = static_cast<png_uint_32>(raster.height);
  image.format = PNG_FORMAT_GRAY;

  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  std::vector<std::uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  out.resize(size);
  return out;
}

std::optional<Raster> DecodePng(const std::vector<std::uint8_t>& png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (png.empty() || !png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    png_image_free(&image);
    return std::nullopt;
  }
  // Refuse pictures far beyond any page before allocating for them.
  if (image.width == 0 || image.height == 0 ||
      static_cast<std::uint64_t>(image.width) * image.height > (256ull << 20)) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_GRAY;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  // Transparent pixels are paper: compose them onto white, not black.
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  Raster r(static_cast<int>(image.width), static_cast<int>(image.height));
  for (std::size_t i = 0; i < pixels.size(); ++i) r.dots[i] = pixels[i] < 128 ? 1 : 0;
  return r;
}

std::optional<Raster> ReadPngFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(path, bytes)) return std::nullopt;
  return DecodePng(bytes);
}

}  // namespace brindle::printer
