// The PNG, JPEG and GIF decoders: each formula on bytes worked out by hand,
// and the refusal of broken and oversized files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>

#include "PictureFiles.h"
#include "TempDir.h"
#include "image/LogoConversion.h"
#include "image/LogoPicture.h"

namespace brindle {
namespace {

using namespace test;

// The stored rows (bottom row first, B G R, padded to 4 bytes) by hand.
TEST(PictureDecoder, EachFormulaGivesTheRowsWorkedOutByHand) {
  const struct {
    const char* what;
    Bytes file;
    int width, height;
    Bytes rows;
  } cases[] = {
      // 129 -> 1, 128 -> 0, 65535 -> 255; alpha 32896 -> 128, over white 127.
      {"16-bit samples", BuildPng({.width = 2, .bitDepth = 16,
                                   .samples = {129, 128, 65535, 65535, 0, 0, 0, 32896}}),
       2, 1, {255, 0, 1, 127, 127, 127, 0, 0}},
      // (200, 100, 0) at alpha 128: (c * 128 + 255 * 127 + 127) / 255.
      {"alpha over white", BuildPng({.samples = {200, 100, 0, 128}}), 1, 1, {127, 177, 227, 0}},
      {"2-bit gray", BuildPng({.width = 4, .bitDepth = 2, .colourType = 0, .samples = {0, 1, 2, 3}}),
       4, 1, {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
      {"8-bit gray, tRNS gray 77", BuildPng({.width = 2, .colourType = 0, .transparency = {0, 77},
                                             .samples = {77, 200}}),
       2, 1, {255, 255, 255, 200, 200, 200, 0, 0}},
      {"palette, tRNS alpha 0 and 128",
       BuildPng({.width = 2, .colourType = 3, .palette = {10, 20, 30, 40, 50, 60},
                 .transparency = {0, 128}, .samples = {0, 1}}),
       2, 1, {255, 255, 255, 157, 152, 147, 0, 0}},
      // A 2 x 1 frame at (1, 1) of a 4 x 2 screen: transparent index 1, then red.
      {"GIF frame and transparent index",
       BuildGif({.screenWidth = 4, .screenHeight = 2, .colours = {0xFF0000, 0x00FF00}, .left = 1,
                 .top = 1, .width = 2, .transparent = 1, .indices = {1, 0}}),
       4, 2, {255, 255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 255,
              255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage image;
    ASSERT_EQ(ReadPicture(c.file.data(), c.file.size(), FitsLogo, image), DecodeStatus::Ok);
    EXPECT_EQ(std::tuple(image.width, image.height, image.bitsPerPixel, image.rowBytes),
              std::tuple(c.width, c.height, 24, static_cast<int>(c.rows.size()) / c.height));
    EXPECT_EQ(image.pixels, c.rows);
  }
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Broken files of each kind are refused; pictures declaring sizes beyond
// the limits are refused before any pixel is decoded, fast and without
// taking room for them. The size query gives an oversized picture's
// declared size at 24 bits, as it would the 24-bit BMP's.
class PictureDecoderFiles : public TempDirTest {};

TEST_F(PictureDecoderFiles, BrokenAndOversizedFilesAreRefused) {
  const Bytes png = BuildPng({.width = 8, .height = 8, .samples = std::vector<unsigned>(256, 90)});
  Bytes badCrc = png;
  badCrc[png.size() - 20] ^= 0x55;  // inside IDAT
  const Bytes gif = BuildGif({.screenWidth = 8, .screenHeight = 8, .colours = {0xFF0000, 0x0000FF},
                              .width = 8, .height = 8, .indices = Bytes(64, 1)});
  const std::string corpus = std::string(BRINDLE_SOURCE_DIR) + "/fuzz/corpus/";
  std::ifstream in(corpus + "jpeg/baseline.jpg", std::ios::binary);
  const Bytes jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(jpeg.size(), 200u);
  Bytes jpegGarbage = jpeg;
  for (std::size_t i = jpeg.size() - 60; i < jpeg.size() - 40; ++i) jpegGarbage[i] = 0xA5;
  auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.end() - n); };
  const struct {
    const char* what;
    Bytes file;
    DecodeStatus status;
    std::int32_t width = 0, height = 0;  // declared, when too large
  } cases[] = {
      {"PNG cut inside IDAT", cut(png, 20), DecodeStatus::Refused},
      {"PNG with a changed IDAT byte", badCrc, DecodeStatus::Refused},
      {"PNG signature only", Bytes(png.begin(), png.begin() + 8), DecodeStatus::Refused},
      {"PNG index beyond the palette",
       BuildPng({.width = 2, .colourType = 3, .palette = {1, 2, 3}, .samples = {0, 1}}),
       DecodeStatus::Refused},
      {"PNG of 30,000 x 30,000",
       BuildPng({.width = 30000, .height = 30000, .colourType = 0, .samples = {}}),
       DecodeStatus::TooLarge, 30000, 30000},
      {"PNG of 513 x 1", BuildPng({.width = 513, .colourType = 0, .samples = {}}),
       DecodeStatus::TooLarge, 513, 1},
      {"JPEG cut in half", cut(jpeg, jpeg.size() / 2), DecodeStatus::Refused},
      {"JPEG with garbage in its scan", jpegGarbage, DecodeStatus::Refused},
      {"JPEG start marker only", Bytes{0xFF, 0xD8, 0xFF}, DecodeStatus::Refused},
      {"GIF cut inside its frame", cut(gif, 6), DecodeStatus::Refused},
      {"GIF frame beyond the screen",
       BuildGif({.screenWidth = 4, .colours = {0}, .left = 3, .width = 2, .indices = {0, 0}}),
       DecodeStatus::Refused},
      {"GIF index beyond its colours",
       BuildGif({.colours = {0, 0xFFFFFF}, .indices = {2}}), DecodeStatus::Refused},
      {"GIF without a frame", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B},
       DecodeStatus::Refused},
      {"GIF screen of 65,535 x 65,535",
       BuildGif({.screenWidth = 65535, .screenHeight = 65535, .colours = {0}, .indices = {0}}),
       DecodeStatus::TooLarge, 65535, 65535},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const long rssBefore = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    BmpImage image;
    EXPECT_EQ(ReadPicture(c.file.data(), c.file.size(), FitsLogo, image), c.status);
    EXPECT_TRUE(image.pixels.empty());
    auto logo = std::make_unique<LogoBitmap>();
    EXPECT_EQ(logo->LoadBitmapData(c.file.data(), c.file.size()), 0);
    std::int32_t bits = 0, height = 0, width = 0;
    const int query = QueryBitmapSize(Write("picture", c.file), bits, height, width);
    if (c.status == DecodeStatus::Refused) {
      EXPECT_EQ(query, -1);
    }
    if (c.status == DecodeStatus::TooLarge) {
      EXPECT_EQ(std::tuple(query, bits, height, width), std::tuple(0, 24, c.height, c.width));
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
      EXPECT_LT(PeakRssKb() - rssBefore, 8 * 1024);
    }
  }
}

}  // namespace
}  // namespace brindle
