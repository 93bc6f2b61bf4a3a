// Decoding the splash picture and the compiled-in picture itself.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "splash/RegionRuns.h"
#include "splash/SplashFlags.h"
#include "splash/SplashResource.h"

namespace brindle {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 2 x 2 24-bit BMP written out by hand: file header, BITMAPINFOHEADER, then
// the bottom row first, each row 6 bytes of BGR and 2 bytes of padding.
// Top row: red, green; bottom row: blue, white.
const Bytes kTwoByTwo = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,              // file header
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,           // size, w, h, planes, bpp
    0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,  // BI_RGB, image size, dpi
    0, 0, 0, 0, 0, 0, 0, 0,                                     // colours used, important
    255, 0, 0, 255, 255, 255, 0, 0,                             // bottom: blue, white
    0, 0, 255, 0, 255, 0, 0, 0,                                 // top: red, green
};

Bytes With(Bytes b, std::size_t at, std::initializer_list<std::uint8_t> values) {
  for (std::uint8_t v : values) b[at++] = v;
  return b;
}

std::optional<RgbImage> Decode(const Bytes& b) { return DecodeBmpPicture(b.data(), b.size()); }

TEST(SplashPicture, DecodesBottomUpAndTopDownRows) {
  const std::optional<RgbImage> up = Decode(kTwoByTwo);
  ASSERT_TRUE(up);
  EXPECT_EQ(std::make_pair(up->width, up->height), std::make_pair(2, 2));
  EXPECT_EQ(up->pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  // Height -2: the same stored rows now read top row first.
  const std::optional<RgbImage> down = Decode(With(kTwoByTwo, 22, {0xFE, 0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(down);
  EXPECT_EQ(down->pixels, (Bytes{0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0}));
}

TEST(SplashPicture, CompiledInPictureIsTheCommittedBmp) {
  std::ifstream in(BRINDLE_SOURCE_DIR "/res/splash/splash134.bmp", std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::span<const std::uint8_t> embedded = BitmapResourceBytes(SplashBitmapId);
  ASSERT_EQ(embedded.size(), 54u + 644u * 213u * 3u);
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), file.begin(), file.end()));
  EXPECT_TRUE(BitmapResourceBytes(133).empty());
  EXPECT_TRUE(BitmapResourceBytes(0).empty());
  EXPECT_FALSE(LoadBitmapResource(128));
}

// 644 x 213 at 24 bits, magenta in the corners and not at the centre; not
// a plain rectangle: fewer pixels than the full area, and some rows broken
// into several runs (the gap between printer and ticket, the ticket's
// sprocket holes).
TEST(SplashPicture, PictureIsShapedByTheKeyColour) {
  const std::optional<RgbImage> picture = LoadBitmapResource(SplashBitmapId);
  ASSERT_TRUE(picture);
  ASSERT_EQ(std::make_pair(picture->width, picture->height), std::make_pair(644, 213));
  EXPECT_EQ(BitmapResourceBytes(SplashBitmapId)[28], 24) << "stored at 24 bits per pixel";
  const Rgb magenta{255, 0, 255};
  const RgbView view = picture->View();
  for (const auto& [x, y] : {std::pair{0, 0}, {643, 0}, {0, 212}, {643, 212}}) {
    EXPECT_EQ(view.At(x, y), magenta) << "corner " << x << "," << y;
  }
  EXPECT_FALSE(view.At(322, 106) == magenta) << "the centre is part of the picture";

  long covered = 0;
  int mostRunsInARow = 0;
  std::vector<int> perRow(213, 0);
  for (const RowRun& r : RegionRunsFromPixels(view, magenta)) {
    covered += r.width;
    mostRunsInARow = std::max(mostRunsInARow, ++perRow[static_cast<std::size_t>(r.y)]);
  }
  EXPECT_GT(covered, 644L * 213 / 2);
  EXPECT_LT(covered, 644L * 213 * 9 / 10);
  EXPECT_GE(mostRunsInARow, 10);
}

}  // namespace
}  // namespace brindle
