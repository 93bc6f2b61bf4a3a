// Conversion and packing of the largest picture a logo may have (512 x 648,
// 24 bits) in both halftone modes. Target: under 10 ms each (median). And
// the same picture as an RGBA PNG, decoded and converted with error
// diffusion. Target: under 15 ms (median).
//   bench_image --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
// compare_convert.py measures brindle-cli convert against ImageMagick.
#include <benchmark/benchmark.h>
#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "image/LogoBitmap.h"

namespace {

// A 24-bit BMP of diagonal colour ramps, so that both conversions see every
// gray level.
std::vector<std::uint8_t> Picture(int width, int height) {
  const std::uint32_t rowBytes = ((width * 24 + 31) / 32) * 4;
  const std::uint32_t size = rowBytes * height;
  std::vector<std::uint8_t> f(54 + size, 0);
  auto put = [&f](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put(2, 54 + size, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, height, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int r = 0; r < height; ++r) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &f[54 + r * rowBytes + 3 * x];
      p[0] = static_cast<std::uint8_t>(x + r);
      p[1] = static_cast<std::uint8_t>(x * 2 - r);
      p[2] = static_cast<std::uint8_t>(r * 3);
    }
  }
  return f;
}

// Runs the benchmark in a fresh temporary directory (PackDiffused writes
// "TempTe.bmp" into the current directory).
class InTempDir {
 public:
  InTempDir() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brindle-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      dir_ = pattern;
      std::filesystem::current_path(dir_);
    }
  }
  ~InTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path dir_;
};

void BM_PackThreshold(benchmark::State& state) {
  const auto file = Picture(512, 648);
  auto logo = std::make_unique<brindle::LogoBitmap>();
  if (logo->LoadBitmapData(file.data(), file.size()) != 1) state.SkipWithError("load failed");
  for (auto _ : state) {
    logo->rasterLength = 0;
    benchmark::DoNotOptimize(logo->PackThreshold(5));
  }
}
BENCHMARK(BM_PackThreshold)->Unit(benchmark::kMillisecond);

void BM_PackDiffused(benchmark::State& state) {
  InTempDir temp;
  const auto file = Picture(512, 648);
  auto logo = std::make_unique<brindle::LogoBitmap>();
  if (logo->LoadBitmapData(file.data(), file.size()) != 1) state.SkipWithError("load failed");
  for (auto _ : state) {
    logo->rasterLength = 0;
    benchmark::DoNotOptimize(logo->PackDiffused(5));
  }
}
BENCHMARK(BM_PackDiffused)->Unit(benchmark::kMillisecond);

// The ramps of Picture() as RGBA with an alpha ramp, written by libpng;
// `seed` changes the top-left pixel.
std::vector<std::uint8_t> RgbaPng(int width, int height, std::uint8_t seed) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgba.insert(rgba.end(), {std::uint8_t(y * 3), std::uint8_t(x * 2 - y), std::uint8_t(x + y),
                               std::uint8_t(x ^ y)});
    }
  }
  rgba[0] = seed;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<std::uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr)) {
    png.clear();
  }
  png.resize(size);
  return png;
}

// Two files taken in turn, since a file just decoded is kept and would not
// be decoded again.
void BM_DecodePngAndDiffuse(benchmark::State& state) {
  InTempDir temp;
  const std::vector<std::uint8_t> files[] = {RgbaPng(512, 648, 0), RgbaPng(512, 648, 1)};
  auto logo = std::make_unique<brindle::LogoBitmap>();
  int turn = 0;
  for (auto _ : state) {
    const auto& file = files[turn++ % 2];
    if (logo->LoadBitmapData(file.data(), file.size()) != 1) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(logo->PackDiffused(5));
  }
}
BENCHMARK(BM_DecodePngAndDiffuse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
