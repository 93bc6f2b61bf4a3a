// The BMP reader on hand-built damaged files: the refusals that keep it
// safe, and random damage. The BMP suite covers the files it accepts.
#include <gtest/gtest.h>

#include <random>

#include "support/Bmp.h"
#include "image/Bmp.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::BuildBmp;
using test::Bytes;

BmpError Read(const Bytes& file, BmpImage& image) { return ReadBmp(file.data(), file.size(), image); }

// Each case damages a valid file in one way; the reader must refuse it with
// the named error and leave the image empty.
TEST(BmpReader, RefusesDamagedAndUnsupportedFiles) {
  const BmpFields base{.width = 4, .height = 2, .bitsPerPixel = 8, .palette = {0, 0xFFFFFF},
                       .pixels = Bytes(8, 1)};
  const Bytes good = BuildBmp(base);
  auto with = [&](auto change) {
    BmpFields s = base;
    change(s);
    return BuildBmp(s);
  };
  auto rle = [](Bytes stream) {
    return BuildBmp({.width = 4, .height = 2, .bitsPerPixel = 8, .compression = 1,
                     .palette = {0, 0xFFFFFF}, .pixels = std::move(stream)});
  };
  auto masks = [](std::vector<std::uint32_t> m) {
    return BuildBmp({.bitsPerPixel = 16, .compression = 3, .masks = m, .pixels = {0, 0, 0, 0}});
  };
  auto patched = [&](std::size_t at, std::uint32_t value, int n) {
    Bytes b = good;
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  const struct {
    const char* what;
    Bytes file;
    BmpError expected;
  } cases[] = {
      {"empty", {}, BmpError::NotBmp},
      {"file header only", Bytes(good.begin(), good.begin() + 14), BmpError::NotBmp},
      {"not BM", patched(0, 'B' | ('A' << 8), 2), BmpError::NotBmp},
      {"header cut off", Bytes(good.begin(), good.begin() + 40), BmpError::BadHeader},
      {"unknown header size", patched(14, 66, 4), BmpError::BadHeader},
      {"two planes", patched(26, 2, 2), BmpError::BadHeader},
      {"absurd density", patched(38, 30000000, 4), BmpError::BadHeader},
      {"file size beyond the file", patched(2, 100000, 4), BmpError::Truncated},
      {"2 bits per pixel", patched(28, 2, 2), BmpError::Unsupported},
      {"30000 bits per pixel", patched(28, 30000, 2), BmpError::Unsupported},
      {"JPEG compression", patched(30, 4, 4), BmpError::Unsupported},
      {"RLE4 on 8 bits", patched(30, 2, 4), BmpError::Unsupported},
      {"zero width", patched(18, 0, 4), BmpError::BadDimensions},
      {"negative width", patched(18, 0xFFFFFFFC, 4), BmpError::BadDimensions},
      {"zero height", patched(22, 0, 4), BmpError::BadDimensions},
      {"height beyond the cap", patched(22, 3000000, 4), BmpError::BadDimensions},
      {"most negative height", patched(22, 0x80000000, 4), BmpError::BadDimensions},
      {"top-down RLE", with([](BmpFields& s) { s.compression = 1; s.height = -2; s.pixels = {0, 1}; }),
       BmpError::BadDimensions},
      {"offset inside the headers", patched(10, 20, 4), BmpError::BadOffset},
      {"offset beyond the file", patched(10, 5000, 4), BmpError::BadOffset},
      {"colour count beyond the table", patched(46, 0x12345678, 4), BmpError::BadPalette},
      {"no colour table", with([](BmpFields& s) { s.palette.clear(); }), BmpError::BadPalette},
      {"pixel data cut short", Bytes(good.begin(), good.end() - 1), BmpError::Truncated},
      {"image size beyond the file", patched(34, 0x7EEEEEEE, 4), BmpError::Truncated},
      {"index beyond the table", patched(good.size() - 1, 2, 1), BmpError::BadIndex},
      {"zero blue mask", masks({0xFF00, 0x00FF, 0}), BmpError::BadMasks},
      {"overlapping masks", masks({0xF800, 0x0FE0, 0x001F}), BmpError::BadMasks},
      {"gap in a mask", masks({0xF800, 0x07E0, 0x0015}), BmpError::BadMasks},
      {"mask beyond 16 bits", masks({0xF8000, 0x07E0, 0x001F}), BmpError::BadMasks},
      {"RLE run past the row end", rle({5, 1, 0, 1}), BmpError::BadRle},
      {"RLE literal past the row end", rle({0, 5, 1, 1, 1, 1, 1, 0}), BmpError::BadRle},
      {"RLE delta past the picture", rle({0, 2, 0, 3, 1, 1}), BmpError::BadRle},
      {"RLE delta past the row", rle({0, 2, 5, 0}), BmpError::BadRle},
      {"RLE run above the last row", rle({0, 0, 0, 0, 1, 1}), BmpError::BadRle},
      {"RLE literal cut off", rle({0, 4, 1, 1}), BmpError::BadRle},
      {"RLE delta cut off", rle({0, 2, 1}), BmpError::BadRle},
      // A 2-byte end-of-bitmap stream cannot stand for 60,000 x 1,000 pixels.
      {"RLE rows beyond what the file justifies",
       with([](BmpFields& s) { s.compression = 1; s.width = 60000; s.height = 1000; s.pixels = {0, 1}; }),
       BmpError::TooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage image;
    image.width = 99;
    const BmpError result = Read(c.file, image);
    EXPECT_EQ(result, c.expected) << BmpErrorName(result);
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
  }
  BmpImage image;
  EXPECT_EQ(Read(good, image), BmpError::None);
}

// Random damage to valid files of every kind: the reader either refuses
// with an empty image, or delivers rows that match the sizes it reports.
TEST(BmpReader, SurvivesRandomDamageWithConsistentResults) {
  std::vector<Bytes> seeds;
  for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    BmpFields s{.width = 9, .height = 5, .bitsPerPixel = bits};
    if (bits <= 8) s.palette.assign(std::size_t{1} << bits, 0x808080);
    s.pixels.assign(static_cast<std::size_t>(BmpRowBytes(9, bits)) * 5, 0);
    seeds.push_back(BuildBmp(s));
  }
  const Bytes stream = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1};
  seeds.push_back(BuildBmp({.width = 6, .height = 3, .bitsPerPixel = 8, .compression = 1,
                            .palette = std::vector<std::uint32_t>(8, 0), .pixels = stream}));
  seeds.push_back(BuildBmp({.width = 6, .height = 3, .bitsPerPixel = 4, .compression = 2,
                            .palette = std::vector<std::uint32_t>(8, 0), .pixels = stream}));
  std::mt19937 rng(12345);
  int loaded = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes file = seeds[rng() % seeds.size()];
    for (int e = 1 + static_cast<int>(rng() % 4); e > 0 && !file.empty(); --e) {
      const std::size_t at = rng() % file.size();
      switch (rng() % 3) {
        case 0: file[at] = static_cast<std::uint8_t>(rng()); break;
        case 1: file[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
        default: file.resize(at); break;
      }
    }
    BmpImage image;
    if (Read(file, image) != BmpError::None) {
      ASSERT_TRUE(image.pixels.empty());
      continue;
    }
    ++loaded;
    ASSERT_GT(image.width, 0);
    ASSERT_GT(image.height, 0);
    ASSERT_EQ(image.rowBytes, BmpRowBytes(image.width, image.bitsPerPixel));
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.rowBytes) * image.height);
    ASSERT_LE(image.pixels.size(), kMaxBmpPixelBytes);
    for (std::int32_t r = 0; r < image.height; ++r) {
      for (std::int32_t x = 0; x < image.width; ++x) PixelColour(image, x, r);
    }
  }
  EXPECT_GT(loaded, 100);
}

}  // namespace
}  // namespace brindle
