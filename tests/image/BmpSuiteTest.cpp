// The reader over every file of the BMP suite: good files decode to the
// suite's reference pictures, questionable ones load correctly or are
// refused cleanly, bad ones are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "PngReference.h"
#include "image/Bmp.h"

namespace brindle {
namespace {

const std::string kSuite = BRINDLE_TESTDATA_DIR "/bmpsuite/";

struct Expected {
  const char* file;
  int bits;                // 0: the file must be refused
  int width, height;
  const char* reference;   // reference picture in html/, nullptr for none
  int tolerance;           // largest allowed difference of one channel
};

// Sizes and depths from the suite's index; references from its description.
// Pixels that RLE streams skip take colour-table entry 0 (the "-0" pictures).
const Expected kGood[] = {
    {"g/pal1.bmp", 1, 127, 64, "pal1.png", 0},
    {"g/pal1bg.bmp", 1, 127, 64, "pal1bg.png", 0},
    {"g/pal1wb.bmp", 1, 127, 64, "pal1.png", 0},
    {"g/pal4.bmp", 4, 127, 64, "pal4.png", 0},
    {"g/pal4gs.bmp", 4, 127, 64, "pal4gs.png", 0},
    {"g/pal4rle.bmp", 4, 127, 64, "pal4.png", 0},
    {"g/pal8-0.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8gs.bmp", 8, 127, 64, "pal8gs.png", 0},
    {"g/pal8nonsquare.bmp", 8, 127, 32, "pal8nonsquare-e.png", 0},
    {"g/pal8os2.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8rle.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8topdown.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8v4.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8v5.bmp", 8, 127, 64, "pal8.png", 0},
    {"g/pal8w124.bmp", 8, 124, 61, "pal8w124.png", 0},
    {"g/pal8w125.bmp", 8, 125, 62, "pal8w125.png", 0},
    {"g/pal8w126.bmp", 8, 126, 63, "pal8w126.png", 0},
    {"g/rgb16-565.bmp", 16, 127, 64, "rgb16-565.png", 0},
    {"g/rgb16-565pal.bmp", 16, 127, 64, "rgb16-565.png", 0},
    {"g/rgb16.bmp", 16, 127, 64, "rgb16.png", 0},
    {"g/rgb16bfdef.bmp", 16, 127, 64, "rgb16.png", 0},
    {"g/rgb24.bmp", 24, 127, 64, "rgb24.png", 0},
    {"g/rgb24pal.bmp", 24, 127, 64, "rgb24.png", 0},
    {"g/rgb32.bmp", 32, 127, 64, "rgb24.png", 0},
    {"g/rgb32bf.bmp", 32, 127, 64, "rgb24.png", 0},
    {"g/rgb32bfdef.bmp", 32, 127, 64, "rgb24.png", 0},
};

const Expected kQuestionable[] = {
    {"q/pal1huffmsb.bmp", 0, 0, 0, nullptr, 0},
    {"q/pal1p1.bmp", 1, 127, 64, "pal1p1.png", 0},
    {"q/pal2.bmp", 0, 0, 0, nullptr, 0},
    {"q/pal2color.bmp", 0, 0, 0, nullptr, 0},
    {"q/pal4rlecut.bmp", 4, 127, 64, "pal4rlecut-0.png", 0},
    {"q/pal4rletrns.bmp", 4, 127, 64, "pal4rletrns-0.png", 0},
    {"q/pal8offs.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2-hs.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2-sz.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2sp.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2v2-16.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2v2-40sz.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2v2-sz.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8os2v2.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8oversizepal.bmp", 8, 127, 64, "pal8.png", 0},
    {"q/pal8rlecut.bmp", 8, 127, 64, "pal8rlecut-0.png", 0},
    {"q/pal8rletrns.bmp", 8, 127, 64, "pal8rletrns-0.png", 0},
    {"q/rgb16-231.bmp", 16, 127, 64, "rgb16-231.png", 1},
    {"q/rgb16-3103.bmp", 16, 127, 64, "rgb16-3103.png", 1},
    {"q/rgb16faketrns.bmp", 16, 127, 64, "rgb16.png", 0},
    {"q/rgb24jpeg.bmp", 0, 0, 0, nullptr, 0},
    {"q/rgb24largepal.bmp", 24, 127, 64, "rgb24.png", 0},
    {"q/rgb24lprof.bmp", 24, 127, 64, "rgb24.png", 0},
    {"q/rgb24png.bmp", 0, 0, 0, nullptr, 0},
    {"q/rgb24rle24.bmp", 0, 0, 0, nullptr, 0},
    {"q/rgb32-111110.bmp", 32, 127, 64, "rgb24.png", 1},
    {"q/rgb32-7187.bmp", 32, 127, 64, "rgb32-7187.png", 1},
    {"q/rgb32-xbgr.bmp", 32, 127, 64, "rgb24.png", 0},
    {"q/rgb32fakealpha.bmp", 32, 127, 64, "rgb24.png", 0},
    {"q/rgb32h52.bmp", 32, 127, 64, "rgb24.png", 0},
    {"q/rgba16-1924.bmp", 16, 127, 64, "rgba16-1924.png", 1},
    {"q/rgba16-4444.bmp", 16, 127, 64, "rgba16-4444.png", 1},
    {"q/rgba16-5551.bmp", 16, 127, 64, "rgba16-5551.png", 1},
    {"q/rgba32-1.bmp", 32, 127, 64, "rgba32.png", 0},
    {"q/rgba32-1010102.bmp", 32, 127, 64, "rgba32-1010102.png", 1},
    {"q/rgba32-2.bmp", 32, 127, 64, "rgba32.png", 0},
    {"q/rgba32-61754.bmp", 32, 127, 64, "rgba32-61754.png", 1},
    {"q/rgba32-81284.bmp", 32, 127, 64, "rgba32-81284.png", 1},
    {"q/rgba32abf.bmp", 32, 127, 64, "rgba32.png", 0},
    {"q/rgba32h56.bmp", 32, 127, 64, "rgba32.png", 0},
    {"q/rgba64.bmp", 0, 0, 0, nullptr, 0},
};

// Compares every pixel with the reference picture (top row first there,
// bottom row first in the stored rows); returns the largest difference.
// Pixels that the reference leaves fully transparent have no defined
// colour and are skipped (the conversion ignores alpha).
int LargestDifference(const BmpImage& image, const test::RgbPicture& ref) {
  int worst = 0;
  for (int y = 0; y < image.height; ++y) {
    const int row = image.height - 1 - y;
    for (int x = 0; x < image.width; ++x) {
      const BmpColour c = PixelColour(image, x, row);
      const std::size_t at = static_cast<std::size_t>(y) * ref.width + x;
      if (ref.alpha[at] == 0) continue;
      const std::uint8_t* p = &ref.rgb[at * 3];
      worst = std::max({worst, std::abs(c.red - p[0]), std::abs(c.green - p[1]),
                        std::abs(c.blue - p[2])});
    }
  }
  return worst;
}

void Check(const Expected& e) {
  SCOPED_TRACE(e.file);
  BmpImage image;
  const BmpError result = ReadBmpFile(kSuite + e.file, image);
  if (e.bits == 0) {
    EXPECT_NE(result, BmpError::None);
    EXPECT_TRUE(image.pixels.empty());
    return;
  }
  ASSERT_EQ(result, BmpError::None) << BmpErrorName(result);
  EXPECT_EQ(image.bitsPerPixel, e.bits);
  EXPECT_EQ(image.width, e.width);
  EXPECT_EQ(image.height, e.height);
  EXPECT_EQ(image.rowBytes % 4, 0);
  const test::RgbPicture ref = test::ReadPngRgb(kSuite + "html/" + e.reference);
  ASSERT_TRUE(ref.ok);
  ASSERT_EQ(ref.width, static_cast<std::uint32_t>(e.width));
  ASSERT_EQ(ref.height, static_cast<std::uint32_t>(e.height));
  EXPECT_LE(LargestDifference(image, ref), e.tolerance);
}

TEST(BmpSuite, GoodFilesDecodeToTheirReferencePictures) {
  for (const Expected& e : kGood) Check(e);
}

TEST(BmpSuite, QuestionableFilesDecodeCorrectlyOrAreRefused) {
  for (const Expected& e : kQuestionable) Check(e);
}

TEST(BmpSuite, BadFilesAreRefused) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite + "b")) {
    SCOPED_TRACE(entry.path().string());
    BmpImage image;
    EXPECT_NE(ReadBmpFile(entry.path().string(), image), BmpError::None);
    EXPECT_TRUE(image.pixels.empty());
    ++count;
  }
  EXPECT_EQ(count, 20);
}

// The stored rows keep the file's own values at its own depth: RLE files
// decode to the same indices as their uncompressed twins, 32-bit pixels hold
// the 24-bit file's B, G, R, and the reversed 1-bit file stores every bit
// inverted (its colour table is swapped, so the pictures agree).
TEST(BmpSuite, StoredRowsHoldTheFilesOwnValues) {
  BmpImage pal1, pal1wb, pal4, pal4rle, pal8, pal8rle, rgb24, rgb32;
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal1.bmp", pal1), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal1wb.bmp", pal1wb), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal4.bmp", pal4), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal4rle.bmp", pal4rle), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal8.bmp", pal8), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/pal8rle.bmp", pal8rle), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/rgb24.bmp", rgb24), BmpError::None);
  ASSERT_EQ(ReadBmpFile(kSuite + "g/rgb32.bmp", rgb32), BmpError::None);
  EXPECT_EQ(pal1.rowBytes, 16);
  EXPECT_EQ(pal4rle.rowBytes, 64);
  EXPECT_EQ(pal8rle.rowBytes, 128);
  EXPECT_EQ(rgb24.rowBytes, 384);
  EXPECT_EQ(rgb32.rowBytes, 508);
  EXPECT_EQ(pal1.palette[0], (BmpColour{0, 0, 0}));
  EXPECT_EQ(pal1wb.palette[0], (BmpColour{255, 255, 255}));
  for (int r = 0; r < 64; ++r) {
    for (int x = 0; x < 127; ++x) {
      const std::size_t at8 = static_cast<std::size_t>(r) * 128 + x;
      ASSERT_EQ(pal8rle.pixels[at8], pal8.pixels[at8]) << x << "," << r;
      const std::size_t at4 = static_cast<std::size_t>(r) * 64 + x / 2;
      const int shift = x % 2 == 0 ? 4 : 0;
      ASSERT_EQ((pal4rle.pixels[at4] >> shift) & 15, (pal4.pixels[at4] >> shift) & 15);
      const std::size_t at1 = static_cast<std::size_t>(r) * 16 + x / 8;
      const int bit = 7 - x % 8;
      ASSERT_NE((pal1.pixels[at1] >> bit) & 1, (pal1wb.pixels[at1] >> bit) & 1);
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(rgb32.pixels[static_cast<std::size_t>(r) * 508 + 4 * x + c],
                  rgb24.pixels[static_cast<std::size_t>(r) * 384 + 3 * x + c]);
      }
    }
  }
}

}  // namespace
}  // namespace brindle
