// Packing into device raster bytes, in column and band order, from each dot
// source, and the refusal of pictures beyond the buffers.
#include <gtest/gtest.h>

#include "LogoTestSupport.h"
#include "TempDir.h"
#include "image/LogoBitmap.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::Bytes;
using test::LoadLogo;

Bytes Packed(const LogoBitmap& logo) {
  return Bytes(logo.raster.begin(), logo.raster.begin() + logo.rasterLength);
}

// A 1-bit picture whose colour-table entry 0 is black, all white (index 1)
// except the listed black pixels (device column x, device row y from top).
BmpFields Mono(int width, int height, const std::vector<std::pair<int, int>>& black,
             bool entry0White = false) {
  BmpFields s = test::Blank1(width, height, entry0White ? 0xFFFFFF : 0, entry0White ? 0 : 0xFFFFFF);
  // Index of white is 1 with a black entry 0, and 0 with a white entry 0.
  if (!entry0White) {
    for (auto& b : s.pixels) b = 0xFF;
  }
  for (auto [x, y] : black) {
    const int r = height - 1 - y;
    const int rowBytes = ((width + 31) / 32) * 4;
    std::uint8_t& byte = s.pixels[static_cast<std::size_t>(r) * rowBytes + x / 8];
    byte ^= static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  return s;
}

TEST(Pack, TenByThreeGivesSixteenBytesInBothOrders) {
  const Bytes expected = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0};
  auto logo = LoadLogo(Mono(10, 3, {{0, 0}, {9, 0}}));
  EXPECT_EQ(logo->paddedWidth, 16);
  EXPECT_EQ(logo->paddedHeight, 8);
  EXPECT_EQ(logo->PackDirect(0), 1);
  EXPECT_EQ(Packed(*logo), expected);

  auto bands = LoadLogo(Mono(10, 3, {{0, 0}, {9, 0}}));
  EXPECT_EQ(bands->PackBands(), 1);
  EXPECT_EQ(Packed(*bands), expected);
}

// Column order runs down each column (band 0, band 1), band order along
// each band; the black pixel at (1, 8) lies in band 1.
TEST(Pack, TenByNineRunsDownColumnsOrAlongBands) {
  const BmpFields fields = Mono(10, 9, {{0, 0}, {9, 0}, {1, 8}});
  Bytes columns(32, 0);
  columns[0] = 0x80;   // column 0, band 0
  columns[3] = 0x80;   // column 1, band 1
  columns[18] = 0x80;  // column 9, band 0
  Bytes bands(32, 0);
  bands[0] = 0x80;     // band 0, column 0
  bands[9] = 0x80;     // band 0, column 9
  bands[17] = 0x80;    // band 1, column 1

  auto logo = LoadLogo(fields);
  EXPECT_EQ(logo->paddedHeight, 16);
  EXPECT_EQ(logo->PackDirect(0), 2);
  EXPECT_EQ(Packed(*logo), columns);
  auto banded = LoadLogo(fields);
  banded->PackBands();
  EXPECT_EQ(Packed(*banded), bands);
}

// With colour-table entry 0 white the same picture stores inverted bits;
// PackDirect reads them as stored and gives the same dots.
TEST(Pack, DirectPackingFollowsThePaletteSoColoursGiveTheSameDots) {
  const auto dots = std::vector<std::pair<int, int>>{{0, 0}, {9, 0}, {3, 2}};
  auto black = LoadLogo(Mono(10, 3, dots, false));
  auto white = LoadLogo(Mono(10, 3, dots, true));
  black->PackDirect(0);
  white->PackDirect(1);
  EXPECT_EQ(Packed(*black), Packed(*white));
  EXPECT_EQ(Packed(*black)[3], 0x20);
  // PackBands always takes bit 0 as a dot: the white-entry file comes out
  // inverted inside the picture, padding stays blank.
  auto banded = LoadLogo(Mono(10, 3, dots, true));
  banded->PackBands();
  EXPECT_EQ(Packed(*banded)[1], 0xE0);   // column 1: three white pixels as dots
  EXPECT_EQ(Packed(*banded)[0], 0x60);   // column 0: the top pixel is black
  EXPECT_EQ(Packed(*banded)[10], 0x00);  // padding column
}

TEST(Pack, TwoHundredOneByOneHundredPadsWithBlankColumnsAndRows) {
  BmpFields s = test::Blank1(201, 100, 0, 0xFFFFFF);  // every pixel black
  auto logo = LoadLogo(s);
  EXPECT_EQ(logo->paddedWidth, 208);
  EXPECT_EQ(logo->paddedHeight, 104);
  EXPECT_EQ(logo->PackDirect(0), 13);
  ASSERT_EQ(logo->rasterLength, 2704);
  int full = 0;
  for (int i = 0; i < 2704; ++i) full += logo->raster[i] == 0xFF;
  EXPECT_EQ(full, 201 * 12);
  EXPECT_EQ(logo->raster[12], 0xF0);            // rows 96..99 and 4 blank rows
  EXPECT_EQ(logo->raster[200 * 13 + 12], 0xF0);
  for (int i = 201 * 13; i < 2704; ++i) ASSERT_EQ(logo->raster[i], 0) << i;
}

// With paletteWhite 1 a converted picture packs from its own bytes: the sum
// of B, G, R below 384 is a dot, at every level and in both modes.
class SourceAverage : public test::TempDirTest {};

TEST_F(SourceAverage, PacksTheSameBytesAtEveryLevelAndMode) {
  BmpFields s = test::Solid24(2, 1, 0, 0, 0);
  s.pixels = {128, 128, 127, 128, 128, 128, 0, 0};
  const Bytes expected = {0x80, 0, 0, 0, 0, 0, 0, 0};
  for (std::uint16_t level = 0; level <= 10; ++level) {
    auto a = LoadLogo(s);
    auto b = LoadLogo(s);
    EXPECT_EQ(a->PackThreshold(1, level), 1);
    EXPECT_EQ(b->PackDiffused(1, level), 1);
    EXPECT_EQ(Packed(*a), expected) << level;
    EXPECT_EQ(Packed(*b), expected) << level;
  }
}

// Below 24 bits the rule reads the bytes after the pixel; bytes past the end
// of the pixel data count as 0 (column 3 reads 255, then two missing bytes).
TEST_F(SourceAverage, BytesPastThePixelDataCountAsZero) {
  auto logo = LoadLogo(test::Indexed8({0, 0, 255, 255}));
  EXPECT_EQ(logo->PackThreshold(1, 5), 1);
  EXPECT_EQ(Packed(*logo), (Bytes{0x80, 0, 0, 0x80, 0, 0, 0, 0}));
}

class PackRefusal : public test::TempDirTest {};

TEST_F(PackRefusal, PicturesBeyondTheBuffersPackNothing) {
  // Converting needs paddedWidth <= 512 and paddedHeight <= 648.
  for (auto [w, h, fits] : {std::tuple{512, 648, true}, std::tuple{513, 8, false},
                            std::tuple{8, 649, false}}) {
    SCOPED_TRACE(w * 1000 + h);
    auto logo = LoadLogo(test::Solid24(w, h, 0, 0, 0));
    EXPECT_EQ(logo->PackThreshold(0, 5), fits ? logo->paddedHeight / 8 : 0);
    EXPECT_EQ(logo->rasterLength, fits ? w * ((h + 7) / 8) : 0);
    auto diffused = LoadLogo(test::Solid24(w, h, 0, 0, 0));
    EXPECT_EQ(diffused->PackDiffused(0, 5), fits ? diffused->paddedHeight / 8 : 0);
    EXPECT_EQ(diffused->WritePreviewFile(), fits ? 1 : 0);
  }
  // Direct packing needs only the raster: 576 dots wide is fine.
  auto wide = LoadLogo(test::Blank1(576, 16, 0, 0xFFFFFF));
  EXPECT_EQ(wide->PackDirect(0), 2);
  EXPECT_EQ(wide->rasterLength, 1152);

  // 4096 x 400 would take 204,800 bytes: refused, but the size is known.
  auto huge = LoadLogo(test::Blank1(4096, 400, 0, 0xFFFFFF));
  EXPECT_EQ(huge->description.width, 4096);
  EXPECT_EQ(huge->PackDirect(0), 0);
  EXPECT_EQ(huge->PackBands(), 0);
  EXPECT_EQ(huge->rasterLength, 0);
  auto exact = LoadLogo(test::Blank1(4096, 384, 0, 0xFFFFFF));
  EXPECT_EQ(exact->PackDirect(0), 48);
  EXPECT_EQ(exact->rasterLength, 196608);
  // Appending a second picture's bytes would overrun the raster.
  EXPECT_EQ(exact->PackBands(), 0);
  EXPECT_EQ(exact->rasterLength, 196608);
}

TEST_F(PackRefusal, WithoutPictureNothingIsPackedOrWritten) {
  LogoBitmap logo;
  const Bytes notBmp = {'B', 'M', 1, 2, 3};
  EXPECT_EQ(logo.LoadBitmapData(notBmp.data(), notBmp.size()), 0);
  EXPECT_EQ(logo.LoadBitmapFile(Path("missing.bmp")), 0);
  EXPECT_EQ(logo.PackDirect(0), 0);
  EXPECT_EQ(logo.PackThreshold(1, 5), 0);
  EXPECT_EQ(logo.PackDiffused(0, 5), 0);
  EXPECT_EQ(logo.PackBands(), 0);
  EXPECT_EQ(logo.rasterLength, 0);
  EXPECT_EQ(logo.WritePreviewFile(), 255);
  EXPECT_EQ(logo.WriteAdjustedFile(), 255);
  EXPECT_FALSE(std::filesystem::exists(Path("Temp.bmp")));
  EXPECT_FALSE(std::filesystem::exists(Path("TempTe.bmp")));
}

// A failed load drops the earlier picture and its size.
TEST(Pack, AFailedLoadForgetsTheEarlierPicture) {
  auto logo = LoadLogo(test::Blank1(16, 16, 0, 0xFFFFFF));
  EXPECT_EQ(logo->paddedWidth, 16);
  const Bytes junk = {1, 2, 3};
  EXPECT_EQ(logo->LoadBitmapData(junk.data(), junk.size()), 0);
  EXPECT_FALSE(logo->HasPicture());
  EXPECT_EQ(logo->paddedWidth, 0);
  EXPECT_EQ(logo->paddedHeight, 0);
  EXPECT_EQ(logo->PackDirect(0), 0);
}

// Packings append from rasterLength; probes and loads reset it to 0 and
// leave the packed bytes in place.
TEST(Pack, PackingAppendsAndProbesResetTheLength) {
  auto logo = LoadLogo(Mono(8, 8, {{0, 0}}));
  logo->PackDirect(0);
  logo->PackDirect(0);
  EXPECT_EQ(logo->rasterLength, 16);
  EXPECT_EQ(logo->raster[8], 0x80);
  logo->ProbePalette("/nonexistent/x.bmp");
  EXPECT_EQ(logo->rasterLength, 0);
  EXPECT_EQ(logo->raster[0], 0x80);
}

// "Error Diffusion" on a row of eight gray-100 pixels, padded with black
// rows: black, black, white, black, black, black, white, black.
class DiffusedPacking : public test::TempDirTest {};

TEST_F(DiffusedPacking, EightByOneRowGivesTheWorkedPattern) {
  auto logo = LoadLogo(test::Solid24(8, 1, 100, 100, 100));
  EXPECT_EQ(logo->PackDiffused(0, 5), 1);
  std::vector<int> row;
  for (int x = 0; x < 8; ++x) row.push_back(logo->monoImage[0][x]);
  EXPECT_EQ(row, (std::vector<int>{0, 0, 255, 0, 0, 0, 255, 0}));
  EXPECT_EQ(Packed(*logo), (Bytes{0x80, 0x80, 0, 0x80, 0x80, 0x80, 0, 0x80}));
  EXPECT_TRUE(std::filesystem::exists(Path("TempTe.bmp")));
}

}  // namespace
}  // namespace brindle
