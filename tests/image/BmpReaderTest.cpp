// The BMP reader on hand-built files: every header kind and depth it
// accepts, top-down and RLE rows, and the refusals that keep it safe.
#include <gtest/gtest.h>

#include <random>

#include "image/Bmp.h"
#include "BmpBuilder.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::BuildBmp;
using test::Bytes;

BmpError Read(const Bytes& file, BmpImage& image) { return ReadBmp(file.data(), file.size(), image); }

TEST(BmpReader, LoadsEveryDepthWithItsRowLength) {
  struct Case {
    std::uint16_t bits;
    std::int32_t width;
    std::int32_t rowBytes;
    std::size_t paletteSize;
  };
  const Case cases[] = {
      {1, 10, 4, 2}, {1, 33, 8, 2}, {4, 9, 8, 16}, {8, 5, 8, 256},
      {16, 3, 8, 0}, {24, 10, 32, 0}, {32, 3, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    BmpFields s;
    s.bitsPerPixel = c.bits;
    s.width = c.width;
    s.height = 2;
    s.palette.assign(c.paletteSize, 0);
    s.pixels.assign(static_cast<std::size_t>(c.rowBytes) * 2, 0);
    for (std::size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = 0;
    BmpImage image;
    ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.bitsPerPixel, c.bits);
    EXPECT_EQ(image.rowBytes, c.rowBytes);
    EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(c.rowBytes) * 2);
    EXPECT_EQ(image.palette.size(), c.paletteSize);
  }
}

TEST(BmpReader, KeepsStoredRowsBottomUpAndTurnsTopDownFiles) {
  BmpFields s = test::Solid24(1, 3, 0, 0, 0);
  // Stored rows: blue 1, 2, 3 in file order.
  s.pixels = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
  BmpImage image;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(image.pixels, (Bytes{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));

  // The same bytes top-down: the first stored row is the top row, so it
  // becomes stored row 2.
  s.height = -3;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.pixels, (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(BmpReader, ReadsCoreV4AndV5HeadersAndTheirColourTables) {
  for (std::uint32_t headerSize : {12u, 40u, 108u, 124u}) {
    SCOPED_TRACE(headerSize);
    BmpFields s;
    s.headerSize = headerSize;
    s.bitsPerPixel = 8;
    s.width = 2;
    s.height = 1;
    s.palette = {0x000000, 0x102030, 0xFFFFFF};
    s.colorsUsed = headerSize == 12 ? 0 : 3;
    s.pixels = {2, 1, 0, 0};
    BmpImage image;
    ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
    ASSERT_EQ(image.palette.size(), 3u);
    EXPECT_EQ(PixelColour(image, 0, 0), (BmpColour{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(PixelColour(image, 1, 0), (BmpColour{0x30, 0x20, 0x10}));
  }
}

TEST(BmpReader, ScalesSixteenBitChannelsAndRewritesThirtyTwoBitFields) {
  BmpFields s;
  s.bitsPerPixel = 16;
  s.width = 2;
  s.height = 1;
  s.pixels = {0xFF, 0x7F, 0x1F, 0x00};  // 5-5-5 white, then pure blue
  BmpImage image;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(PixelColour(image, 0, 0), (BmpColour{255, 255, 255}));
  EXPECT_EQ(PixelColour(image, 1, 0), (BmpColour{255, 0, 0}));

  s.compression = 3;  // 5-6-5
  s.masks = {0xF800, 0x07E0, 0x001F};
  s.pixels = {0xE0, 0x07, 0x00, 0xF8};  // pure green, pure red
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(PixelColour(image, 0, 0), (BmpColour{0, 255, 0}));
  EXPECT_EQ(PixelColour(image, 1, 0), (BmpColour{0, 0, 255}));

  // 32-bit with red in the top byte: stored as B, G, R, 0 afterwards.
  BmpFields t;
  t.bitsPerPixel = 32;
  t.compression = 3;
  t.width = 1;
  t.height = 1;
  t.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
  t.pixels = {0x77, 0x30, 0x20, 0x10};  // R 10, G 20, B 30, low byte unused
  ASSERT_EQ(Read(BuildBmp(t), image), BmpError::None);
  EXPECT_EQ(image.pixels, (Bytes{0x30, 0x20, 0x10, 0x00}));
}

TEST(BmpReader, DecodesRle8IntoUncompressedRows) {
  BmpFields s;
  s.bitsPerPixel = 8;
  s.compression = 1;
  s.width = 6;
  s.height = 3;
  s.palette.assign(8, 0);
  s.pixels = {
      3, 5,                 // row 0: three pixels of 5
      0, 3, 1, 2, 3, 0,     // literal 1 2 3, padded to even
      0, 0,                 // end of line
      0, 2, 2, 1,           // delta: right 2, up 1 -> row 2, column 2
      2, 7,                 // two pixels of 7
      0, 1,                 // end of bitmap
  };
  BmpImage image;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(image.rowBytes, 8);
  EXPECT_EQ(image.pixels, (Bytes{5, 5, 5, 1, 2, 3, 0, 0,    //
                                 0, 0, 0, 0, 0, 0, 0, 0,    //
                                 0, 0, 7, 7, 0, 0, 0, 0}));
}

TEST(BmpReader, DecodesRle4IntoUncompressedRows) {
  BmpFields s;
  s.bitsPerPixel = 4;
  s.compression = 2;
  s.width = 7;
  s.height = 2;
  s.palette.assign(16, 0);
  s.pixels = {
      5, 0x12,              // 1 2 1 2 1
      0, 0,                 // end of line
      0, 3, 0xAB, 0xC0,     // literal A B C (two bytes, already even)
      2, 0x44,              // 4 4
      0, 1,
  };
  s.palette.assign(16, 0);
  BmpImage image;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(image.rowBytes, 4);
  EXPECT_EQ(image.pixels, (Bytes{0x12, 0x12, 0x10, 0x00, 0xAB, 0xC4, 0x40, 0x00}));
}

// Each case damages a valid file in one way; the reader must refuse it with
// the named error and leave the image empty.
TEST(BmpReader, RefusesDamagedAndUnsupportedFiles) {
  auto base = [] {
    BmpFields s;
    s.bitsPerPixel = 8;
    s.width = 4;
    s.height = 2;
    s.palette = {0, 0xFFFFFF};
    s.pixels.assign(8, 1);
    return s;
  };
  auto rle = [&](Bytes stream) {
    BmpFields s = base();
    s.compression = 1;
    s.pixels = std::move(stream);
    return BuildBmp(s);
  };
  auto patched = [&](std::size_t at, std::uint32_t value, int n) {
    Bytes b = BuildBmp(base());
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  struct Case {
    const char* what;
    Bytes file;
    BmpError expected;
  };
  Bytes good = BuildBmp(base());
  std::vector<Case> cases = {
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
      {"offset inside the headers", patched(10, 20, 4), BmpError::BadOffset},
      {"offset beyond the file", patched(10, 5000, 4), BmpError::BadOffset},
      {"colour count beyond the table", patched(46, 0x12345678, 4), BmpError::BadPalette},
      {"pixel data cut short", Bytes(good.begin(), good.end() - 1), BmpError::Truncated},
      {"image size beyond the file", patched(34, 0x7EEEEEEE, 4), BmpError::Truncated},
      {"index beyond the table", patched(good.size() - 1, 2, 1), BmpError::BadIndex},
      {"RLE run past the row end", rle({5, 1, 0, 1}), BmpError::BadRle},
      {"RLE literal past the row end", rle({0, 5, 1, 1, 1, 1, 1, 0}), BmpError::BadRle},
      {"RLE delta past the picture", rle({0, 2, 0, 3, 1, 1}), BmpError::BadRle},
      {"RLE delta past the row", rle({0, 2, 5, 0}), BmpError::BadRle},
      {"RLE run above the last row", rle({0, 0, 0, 0, 1, 1}), BmpError::BadRle},
      {"RLE literal cut off", rle({0, 4, 1, 1}), BmpError::BadRle},
      {"RLE delta cut off", rle({0, 2, 1}), BmpError::BadRle},
  };
  {
    BmpFields s = base();
    s.compression = 1;
    s.height = -2;
    s.pixels = {0, 1};
    cases.push_back({"top-down RLE", BuildBmp(s), BmpError::BadDimensions});
  }
  {
    BmpFields s;
    s.bitsPerPixel = 16;
    s.compression = 3;
    s.masks = {0xFF00, 0x00FF, 0};
    s.pixels = {0, 0, 0, 0};
    cases.push_back({"zero blue mask", BuildBmp(s), BmpError::BadMasks});
    s.masks = {0xF800, 0x0FE0, 0x001F};
    cases.push_back({"overlapping masks", BuildBmp(s), BmpError::BadMasks});
    s.masks = {0xF800, 0x07E0, 0x0015};
    cases.push_back({"gap in a mask", BuildBmp(s), BmpError::BadMasks});
    s.masks = {0xF8000, 0x07E0, 0x001F};
    cases.push_back({"mask beyond 16 bits", BuildBmp(s), BmpError::BadMasks});
  }
  {
    BmpFields s = base();
    s.palette.clear();
    cases.push_back({"no colour table", BuildBmp(s), BmpError::BadPalette});
  }
  {
    // A 4-byte end-of-bitmap stream cannot stand for 60,000 x 60,000 pixels.
    BmpFields s = base();
    s.compression = 1;
    s.width = 60000;
    s.height = 1000;
    s.pixels = {0, 1};
    cases.push_back({"RLE rows beyond what the file justifies", BuildBmp(s), BmpError::TooLarge});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage image;
    image.width = 99;
    EXPECT_EQ(Read(c.file, image), c.expected) << BmpErrorName(Read(c.file, image));
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
  }
  BmpImage image;
  EXPECT_EQ(Read(good, image), BmpError::None);
}

TEST(BmpReader, AcceptsRleEndingWithoutEndOfBitmapAndSkippedPixelsAsIndexZero) {
  BmpFields s;
  s.bitsPerPixel = 8;
  s.compression = 1;
  s.width = 3;
  s.height = 2;
  s.palette = {0, 0xFFFFFF};
  s.pixels = {0, 2, 1, 1, 1, 1};  // delta to (1, 1), one pixel of 1, no end code
  BmpImage image;
  ASSERT_EQ(Read(BuildBmp(s), image), BmpError::None);
  EXPECT_EQ(image.pixels, (Bytes{0, 0, 0, 0, 0, 1, 0, 0}));
}

// Random damage to valid files of every kind: the reader either refuses
// with an empty image, or delivers rows that match the sizes it reports.
TEST(BmpReader, SurvivesRandomDamageWithConsistentResults) {
  std::vector<Bytes> seeds;
  for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    BmpFields s;
    s.bitsPerPixel = bits;
    s.width = 9;
    s.height = 5;
    if (bits <= 8) s.palette.assign(std::size_t{1} << bits, 0x808080);
    s.pixels.assign(static_cast<std::size_t>(BmpRowBytes(9, bits)) * 5, 0);
    seeds.push_back(BuildBmp(s));
  }
  {
    BmpFields s;
    s.bitsPerPixel = 8;
    s.compression = 1;
    s.width = 6;
    s.height = 3;
    s.palette.assign(8, 0);
    s.pixels = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1};
    seeds.push_back(BuildBmp(s));
    s.bitsPerPixel = 4;
    s.compression = 2;
    seeds.push_back(BuildBmp(s));
  }
  std::mt19937 rng(12345);
  int loaded = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes file = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % file.size();
      switch (rng() % 3) {
        case 0: file[at] = static_cast<std::uint8_t>(rng()); break;
        case 1: file[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
        default: file.resize(at); break;
      }
      if (file.empty()) break;
    }
    BmpImage image;
    if (Read(file, image) == BmpError::None) {
      ++loaded;
      ASSERT_GT(image.width, 0);
      ASSERT_GT(image.height, 0);
      ASSERT_EQ(image.rowBytes, BmpRowBytes(image.width, image.bitsPerPixel));
      ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.rowBytes) * image.height);
      ASSERT_LE(image.pixels.size(), kMaxBmpPixelBytes);
      for (std::int32_t r = 0; r < image.height; ++r) {
        for (std::int32_t x = 0; x < image.width; ++x) PixelColour(image, x, r);
      }
    } else {
      ASSERT_TRUE(image.pixels.empty());
    }
  }
  EXPECT_GT(loaded, 100);
}

}  // namespace
}  // namespace brindle
