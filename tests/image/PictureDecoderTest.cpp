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

using Bytes = std::vector<std::uint8_t>;
using test::BuildPng;

// A 4 x 2 screen, colours red and green, transparent index 1, and a 2 x 1
// frame at (1, 1) holding the indices 1, 0 (LZW codes 4 1 0 5 of 3 bits).
const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0,
                    0x21, 0xF9, 4, 1, 0, 0, 1, 0, 0x2C, 1, 0, 1, 0, 2, 0, 1, 0, 0,
                    2, 2, 0x0C, 0x0A, 0, 0x3B};

Bytes Changed(Bytes b, std::size_t at, std::vector<int> bytes) {
  for (int v : bytes) b[at++] = static_cast<std::uint8_t>(v);
  return b;
}

// The stored rows: bottom row first, B G R, padded to 4 bytes.
TEST(PictureDecoder, EachFormulaGivesTheRowsWorkedOutByHand) {
  const struct {
    const char* what;
    Bytes file;
    int width;
    Bytes rows;
  } cases[] = {
      // 129 -> 1, 128 -> 0, 65535 -> 255; alpha 32896 -> 128, over white 127.
      {"16-bit samples", BuildPng({2, 1, 16, 6, {}, {}, {129, 128, 65535, 65535, 0, 0, 0, 32896}}),
       2, {255, 0, 1, 127, 127, 127, 0, 0}},
      // (200, 1, 254) at alpha 128: (c * 128 + 255 * 127 + 127) / 255, the
      // last two just above and just below a whole number before the + 127.
      {"alpha over white", BuildPng({.samples = {200, 1, 254, 128}}), 1, {254, 128, 227, 0}},
      {"2-bit gray", BuildPng({4, 1, 2, 0, {}, {}, {0, 1, 2, 3}}), 4,
       {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
      {"8-bit gray, tRNS gray 77", BuildPng({2, 1, 8, 0, {}, {0, 77}, {77, 200}}), 2,
       {255, 255, 255, 200, 200, 200, 0, 0}},
      {"palette, tRNS alpha 0 and 128",
       BuildPng({2, 1, 8, 3, {10, 20, 30, 40, 50, 60}, {0, 128}, {0, 1}}), 2,
       {255, 255, 255, 157, 152, 147, 0, 0}},
      {"GIF frame at (1, 1), index 1 transparent", kGif, 4,
       {255, 255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 255,  // bottom row
        255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage image;
    ASSERT_EQ(ReadPicture(c.file.data(), c.file.size(), FitsLogo, image), DecodeStatus::Ok);
    const int rowBytes = (3 * c.width + 3) / 4 * 4;
    EXPECT_EQ(std::tuple(image.width, image.height, image.bitsPerPixel, image.rowBytes),
              std::tuple(c.width, static_cast<int>(c.rows.size()) / rowBytes, 24, rowBytes));
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
class PictureDecoderFiles : public test::TempDirTest {};

TEST_F(PictureDecoderFiles, BrokenAndOversizedFilesAreRefused) {
  const Bytes png = BuildPng({8, 8, 8, 6, {}, {}, std::vector<unsigned>(256, 90)});
  std::ifstream in(std::string(BRINDLE_SOURCE_DIR) + "/fuzz/corpus/jpeg/baseline.jpg");
  const Bytes jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(jpeg.size(), 200u);
  auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.end() - long(n)); };
  const struct {
    const char* what;
    Bytes file;
    DecodeStatus status = DecodeStatus::Refused;
    std::int32_t width = 0, height = 0;  // declared, when too large
  } cases[] = {
      {"PNG cut inside IDAT", cut(png, 20)},
      {"PNG with a changed IDAT byte", Changed(png, png.size() - 20, {png[png.size() - 20] ^ 1})},
      {"PNG index beyond the palette", BuildPng({2, 1, 8, 3, {1, 2, 3}, {}, {0, 1}})},
      {"PNG of 30,000 x 30,000", BuildPng({30000, 30000, 8, 0}), DecodeStatus::TooLarge, 30000,
       30000},
      {"PNG of 513 x 1", BuildPng({513, 1, 8, 0}), DecodeStatus::TooLarge, 513, 1},
      {"JPEG cut in half", cut(jpeg, jpeg.size() / 2)},
      {"JPEG with garbage in its scan", Changed(jpeg, jpeg.size() - 60, std::vector(20, 0xA5))},
      {"JPEG start marker only", Bytes{0xFF, 0xD8, 0xFF}},
      {"GIF cut inside its frame", cut(kGif, 3)},
      {"GIF frame beyond the screen", Changed(kGif, 28, {3})},
      {"GIF index beyond its colours", Changed(kGif, 39, {0x1C})},  // indices 3, 0
      {"GIF without a frame", Changed(Bytes(kGif.begin(), kGif.begin() + 20), 19, {0x3B})},
      {"GIF screen of 65,535 x 65,535", Changed(kGif, 6, {0xFF, 0xFF, 0xFF, 0xFF}),
       DecodeStatus::TooLarge, 65535, 65535},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const long rssBefore = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    BmpImage image;
    EXPECT_EQ(ReadPicture(c.file.data(), c.file.size(), FitsLogo, image), c.status);
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_EQ(std::make_unique<LogoBitmap>()->LoadBitmapData(c.file.data(), c.file.size()), 0);
    std::int32_t bits = 0, height = 0, width = 0;
    const int query = QueryBitmapSize(Write("picture", c.file), bits, height, width);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_LT(PeakRssKb() - rssBefore, 8 * 1024);
    if (c.status == DecodeStatus::Refused) {
      EXPECT_EQ(query, -1);
    } else {
      EXPECT_EQ(std::tuple(query, bits, height, width), std::tuple(0, 24, c.height, c.width));
    }
  }
}

}  // namespace
}  // namespace brindle
