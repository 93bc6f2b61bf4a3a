// The reader over every file of the BMP suite: good files decode to the
// suite's reference pictures, questionable ones load correctly or are
// refused cleanly, bad ones are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "PngReference.h"
#include "image/Bmp.h"

namespace brindle {
namespace {

const std::string kSuite = BRINDLE_TESTDATA_DIR "/bmpsuite/";
using Bytes = std::vector<std::uint8_t>;

struct Expected {
  const char* file;
  int bits = 0;                      // 0: the file must be refused
  const char* reference = nullptr;   // reference picture in html/
  int tolerance = 0;                 // largest allowed difference of one channel
  int width = 127, height = 64;
};

// Sizes and depths from the suite's index; references from its description.
// Pixels that RLE streams skip take colour-table entry 0 (the "-0" pictures).
const Expected kGood[] = {
    {"g/pal1.bmp", 1, "pal1.png"}, {"g/pal1bg.bmp", 1, "pal1bg.png"},
    {"g/pal1wb.bmp", 1, "pal1.png"}, {"g/pal4.bmp", 4, "pal4.png"},
    {"g/pal4gs.bmp", 4, "pal4gs.png"}, {"g/pal4rle.bmp", 4, "pal4.png"},
    {"g/pal8-0.bmp", 8, "pal8.png"}, {"g/pal8.bmp", 8, "pal8.png"},
    {"g/pal8gs.bmp", 8, "pal8gs.png"},
    {"g/pal8nonsquare.bmp", 8, "pal8nonsquare-e.png", 0, 127, 32}, {"g/pal8os2.bmp", 8, "pal8.png"},
    {"g/pal8rle.bmp", 8, "pal8.png"}, {"g/pal8topdown.bmp", 8, "pal8.png"},
    {"g/pal8v4.bmp", 8, "pal8.png"}, {"g/pal8v5.bmp", 8, "pal8.png"},
    {"g/pal8w124.bmp", 8, "pal8w124.png", 0, 124, 61},
    {"g/pal8w125.bmp", 8, "pal8w125.png", 0, 125, 62},
    {"g/pal8w126.bmp", 8, "pal8w126.png", 0, 126, 63}, {"g/rgb16-565.bmp", 16, "rgb16-565.png"},
    {"g/rgb16-565pal.bmp", 16, "rgb16-565.png"}, {"g/rgb16.bmp", 16, "rgb16.png"},
    {"g/rgb16bfdef.bmp", 16, "rgb16.png"}, {"g/rgb24.bmp", 24, "rgb24.png"},
    {"g/rgb24pal.bmp", 24, "rgb24.png"}, {"g/rgb32.bmp", 32, "rgb24.png"},
    {"g/rgb32bf.bmp", 32, "rgb24.png"}, {"g/rgb32bfdef.bmp", 32, "rgb24.png"},
};

const Expected kQuestionable[] = {
    {"q/pal1huffmsb.bmp"}, {"q/pal2.bmp"}, {"q/pal2color.bmp"}, {"q/rgb24jpeg.bmp"},
    {"q/rgb24png.bmp"}, {"q/rgb24rle24.bmp"}, {"q/rgba64.bmp"}, {"q/pal1p1.bmp", 1, "pal1p1.png"},
    {"q/pal4rlecut.bmp", 4, "pal4rlecut-0.png"}, {"q/pal4rletrns.bmp", 4, "pal4rletrns-0.png"},
    {"q/pal8offs.bmp", 8, "pal8.png"}, {"q/pal8os2-hs.bmp", 8, "pal8.png"},
    {"q/pal8os2-sz.bmp", 8, "pal8.png"}, {"q/pal8os2sp.bmp", 8, "pal8.png"},
    {"q/pal8os2v2-16.bmp", 8, "pal8.png"}, {"q/pal8os2v2-40sz.bmp", 8, "pal8.png"},
    {"q/pal8os2v2-sz.bmp", 8, "pal8.png"}, {"q/pal8os2v2.bmp", 8, "pal8.png"},
    {"q/pal8oversizepal.bmp", 8, "pal8.png"}, {"q/pal8rlecut.bmp", 8, "pal8rlecut-0.png"},
    {"q/pal8rletrns.bmp", 8, "pal8rletrns-0.png"}, {"q/rgb16-231.bmp", 16, "rgb16-231.png", 1},
    {"q/rgb16-3103.bmp", 16, "rgb16-3103.png", 1}, {"q/rgb16faketrns.bmp", 16, "rgb16.png"},
    {"q/rgb24largepal.bmp", 24, "rgb24.png"}, {"q/rgb24lprof.bmp", 24, "rgb24.png"},
    {"q/rgb32-111110.bmp", 32, "rgb24.png", 1}, {"q/rgb32-7187.bmp", 32, "rgb32-7187.png", 1},
    {"q/rgb32-xbgr.bmp", 32, "rgb24.png"}, {"q/rgb32fakealpha.bmp", 32, "rgb24.png"},
    {"q/rgb32h52.bmp", 32, "rgb24.png"}, {"q/rgba16-1924.bmp", 16, "rgba16-1924.png", 1},
    {"q/rgba16-4444.bmp", 16, "rgba16-4444.png", 1},
    {"q/rgba16-5551.bmp", 16, "rgba16-5551.png", 1}, {"q/rgba32-1.bmp", 32, "rgba32.png"},
    {"q/rgba32-1010102.bmp", 32, "rgba32-1010102.png", 1}, {"q/rgba32-2.bmp", 32, "rgba32.png"},
    {"q/rgba32-61754.bmp", 32, "rgba32-61754.png", 1},
    {"q/rgba32-81284.bmp", 32, "rgba32-81284.png", 1}, {"q/rgba32abf.bmp", 32, "rgba32.png"},
    {"q/rgba32h56.bmp", 32, "rgba32.png"},
};

// Compares every pixel with the reference picture (top row first there,
// bottom row first in the stored rows) and gives the largest difference.
// Pixels the reference leaves fully transparent have no defined colour and
// are skipped (the conversion ignores alpha).
int LargestDifference(const BmpImage& image, const test::RgbPicture& ref) {
  int worst = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const BmpColour c = PixelColour(image, x, image.height - 1 - y);
      const std::size_t at = static_cast<std::size_t>(y) * ref.width + x;
      const std::uint8_t* p = &ref.rgb[at * 3];
      if (ref.alpha[at] != 0) {
        worst = std::max({worst, std::abs(c.red - p[0]), std::abs(c.green - p[1]), std::abs(c.blue - p[2])});
      }
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
  EXPECT_EQ(std::tuple(image.bitsPerPixel, image.width, image.height), std::tuple(e.bits, e.width, e.height));
  const test::RgbPicture ref = test::ReadPngRgb(kSuite + "html/" + e.reference);
  ASSERT_TRUE(ref.ok);
  ASSERT_EQ(std::tuple(ref.width, ref.height), std::tuple(std::uint32_t(e.width), std::uint32_t(e.height)));
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

// The stored rows keep the file's own values at its own depth, rows padded
// to 4 bytes: RLE files decode to the same indices as their uncompressed
// twins, 32-bit pixels (bit fields too) hold the 24-bit file's B, G, R and
// a 0, and the reversed 1-bit file stores every bit inverted (its colour
// table is swapped, so the pictures agree).
TEST(BmpSuite, StoredRowsHoldTheFilesOwnValues) {
  auto load = [](const char* name, std::int32_t rowBytes) {
    BmpImage image;
    EXPECT_EQ(ReadBmpFile(kSuite + "g/" + name, image), BmpError::None) << name;
    EXPECT_EQ(image.rowBytes, rowBytes) << name;
    image.pixels.resize(static_cast<std::size_t>(rowBytes) * 64);
    return image;
  };
  const BmpImage pal1 = load("pal1.bmp", 16), pal1wb = load("pal1wb.bmp", 16);
  const BmpImage pal4 = load("pal4.bmp", 64), pal4rle = load("pal4rle.bmp", 64);
  const BmpImage pal8 = load("pal8.bmp", 128), pal8rle = load("pal8rle.bmp", 128);
  const BmpImage rgb24 = load("rgb24.bmp", 384), rgb32 = load("rgb32bf.bmp", 508);
  load("rgb16.bmp", 256);
  EXPECT_EQ(pal1.palette.at(0), (BmpColour{0, 0, 0}));
  EXPECT_EQ(pal1wb.palette.at(0), (BmpColour{255, 255, 255}));
  EXPECT_EQ(pal8rle.pixels, pal8.pixels);
  EXPECT_EQ(pal4rle.pixels, pal4.pixels);
  for (std::size_t at = 0; at < pal1.pixels.size(); ++at) {
    const int used = at % 16 < 15 ? 0xFF : 0xFE;  // 127 pixels: the last bit is padding
    ASSERT_EQ((pal1.pixels[at] ^ pal1wb.pixels[at]) & used, used) << at;
  }
  for (std::size_t r = 0; r < 64; ++r) {
    for (std::size_t x = 0; x < 127; ++x) {
      const std::uint8_t* p24 = &rgb24.pixels[r * 384 + 3 * x];
      ASSERT_EQ(Bytes(&rgb32.pixels[r * 508 + 4 * x], &rgb32.pixels[r * 508 + 4 * x + 4]),
                (Bytes{p24[0], p24[1], p24[2], 0}));
    }
  }
}

}  // namespace
}  // namespace brindle
