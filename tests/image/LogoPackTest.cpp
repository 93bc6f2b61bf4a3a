// Packing into device raster bytes, in column and band order, from each dot
// source, and the refusal of pictures beyond the buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "support/Bmp.h"
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

// A 1-bit picture, white except the listed black pixels (device column x,
// device row y from the top). Entry 0 of the colour table is black, or
// white with `entry0White`, which inverts the stored bits.
BmpFields Mono(int width, int height, const std::vector<std::pair<int, int>>& black,
               bool entry0White = false) {
  BmpFields s = test::Blank1(width, height, entry0White ? 0xFFFFFF : 0, entry0White ? 0 : 0xFFFFFF);
  if (!entry0White) s.pixels.assign(s.pixels.size(), 0xFF);
  const std::size_t rowBytes = s.pixels.size() / height;
  for (auto [x, y] : black) s.pixels[(height - 1 - y) * rowBytes + x / 8] ^= 0x80 >> (x % 8);
  return s;
}

// Column order runs down each column (band 0, band 1), band order along
// each band: 10 x 3 gives the same 16 bytes both ways; in 10 x 9 the black
// pixel at (1, 8) lies in band 1.
TEST(Pack, TenByThreeAndTenByNineInColumnAndBandOrder) {
  const struct {
    int height, columnBytes;
    std::vector<std::pair<int, int>> black;
    std::vector<int> columnDots, bandDots;  // the bytes that hold 0x80
  } cases[] = {
      {3, 1, {{0, 0}, {9, 0}}, {0, 9}, {0, 9}},
      {9, 2, {{0, 0}, {9, 0}, {1, 8}}, {0, 3, 18}, {0, 9, 17}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    Bytes columns(16 * c.columnBytes, 0), bands = columns;
    for (int at : c.columnDots) columns[at] = 0x80;
    for (int at : c.bandDots) bands[at] = 0x80;
    auto logo = LoadLogo(Mono(10, c.height, c.black));
    auto banded = LoadLogo(Mono(10, c.height, c.black));
    EXPECT_EQ(logo->PackDirect(0), c.columnBytes);
    EXPECT_EQ(banded->PackBands(0), 1);
    EXPECT_EQ(std::tuple(logo->paddedWidth, logo->paddedHeight, Packed(*logo), Packed(*banded)),
              std::tuple(16, 8 * c.columnBytes, columns, bands));
  }
}

// With colour-table entry 0 white the same picture stores inverted bits;
// both packings read them by the palette and give the same dots, with the
// padding blank.
TEST(Pack, DirectPackingsGiveTheBlackPixelsWhateverThePalette) {
  const auto dots = std::vector<std::pair<int, int>>{{0, 0}, {9, 0}, {3, 2}};
  for (auto pack : {&LogoBitmap::PackDirect, &LogoBitmap::PackBands}) {
    auto black = LoadLogo(Mono(10, 3, dots, false));
    auto white = LoadLogo(Mono(10, 3, dots, true));
    ((*black).*pack)(0);
    ((*white).*pack)(1);
    Bytes expected(16, 0);  // 16 columns of one band, the same in both orders
    expected[0] = expected[9] = 0x80;
    expected[3] = 0x20;
    EXPECT_EQ(Packed(*black), expected);
    EXPECT_EQ(Packed(*white), expected);
  }
}

TEST(Pack, TwoHundredOneByOneHundredPadsWithBlankColumnsAndRows) {
  auto logo = LoadLogo(test::Blank1(201, 100, 0, 0xFFFFFF));  // every pixel black
  EXPECT_EQ(logo->PackDirect(0), 13);
  ASSERT_EQ(std::tuple(logo->paddedWidth, logo->paddedHeight, logo->rasterLength), std::tuple(208, 104, 2704));
  EXPECT_EQ(std::count(logo->raster.begin(), logo->raster.begin() + 2704, 0xFF), 201 * 12);
  EXPECT_EQ(logo->raster[12], 0xF0);  // rows 96..99 and 4 blank rows
  EXPECT_EQ(logo->raster[200 * 13 + 12], 0xF0);
  EXPECT_TRUE(std::all_of(logo->raster.begin() + 201 * 13, logo->raster.begin() + 2704, [](int b) { return b == 0; }));
}

// Packings append from rasterLength; probes and loads reset it to 0 and
// leave the packed bytes in place. A failed load drops the earlier picture.
TEST(Pack, PackingAppendsProbesResetTheLengthAndFailedLoadsForget) {
  auto logo = LoadLogo(Mono(8, 8, {{0, 0}}));
  logo->PackDirect(0);
  logo->PackDirect(0);
  EXPECT_EQ(logo->rasterLength, 16);
  EXPECT_EQ(logo->raster[8], 0x80);
  logo->ProbePalette("/nonexistent/x.bmp");
  EXPECT_EQ(logo->rasterLength, 0);
  EXPECT_EQ(logo->raster[0], 0x80);
  const Bytes junk = {1, 2, 3};
  EXPECT_EQ(logo->LoadBitmapData(junk.data(), junk.size()), 0);
  EXPECT_FALSE(logo->HasPicture());
  EXPECT_EQ(std::tuple(logo->paddedWidth, logo->paddedHeight), std::tuple(0, 0));
  EXPECT_EQ(logo->PackDirect(0), 0);
}

class PackFiles : public test::TempDirTest {};

// A converted picture packs the black-and-white picture of its conversion,
// whatever its first pixel: a row of white and gray 120 is black at level 5
// (threshold 128) and white at level 0 (threshold 103).
TEST_F(PackFiles, ConvertedPicturesPackTheirConversionAtTheLevel) {
  BmpFields s = test::Solid24(8, 1, 120, 120, 120);
  s.pixels[0] = s.pixels[1] = s.pixels[2] = 255;  // bottom-left white
  auto level5 = LoadLogo(s);
  auto level0 = LoadLogo(s);
  EXPECT_EQ(level5->PackThreshold(5), 1);
  EXPECT_EQ(level0->PackThreshold(0), 1);
  EXPECT_EQ(Packed(*level5), (Bytes{0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}));
  EXPECT_EQ(Packed(*level0), Bytes(8, 0));
}

// "Error Diffusion" on a row of eight gray-100 pixels, padded with black
// rows: black, black, white, black, black, black, white, black.
TEST_F(PackFiles, DiffusedEightByOneRowGivesTheWorkedPattern) {
  auto logo = LoadLogo(test::Solid24(8, 1, 100, 100, 100));
  EXPECT_EQ(logo->PackDiffused(5), 1);
  EXPECT_EQ(std::vector<int>(logo->monoImage[0].begin(), logo->monoImage[0].begin() + 8),
            (std::vector<int>{0, 0, 255, 0, 0, 0, 255, 0}));
  EXPECT_EQ(Packed(*logo), (Bytes{0x80, 0x80, 0, 0x80, 0x80, 0x80, 0, 0x80}));
  EXPECT_TRUE(Exists("TempTe.bmp"));
}

TEST_F(PackFiles, PicturesBeyondTheBuffersPackNothing) {
  // Converting needs paddedWidth <= 512 and paddedHeight <= 648.
  for (auto [w, h, fits] : {std::tuple{512, 648, true}, std::tuple{513, 8, false},
                            std::tuple{8, 649, false}}) {
    SCOPED_TRACE(w * 1000 + h);
    auto logo = LoadLogo(test::Solid24(w, h, 0, 0, 0));
    EXPECT_EQ(logo->PackThreshold(5), fits ? logo->paddedHeight / 8 : 0);
    EXPECT_EQ(logo->rasterLength, fits ? w * ((h + 7) / 8) : 0);
    auto diffused = LoadLogo(test::Solid24(w, h, 0, 0, 0));
    EXPECT_EQ(diffused->PackDiffused(5), fits ? diffused->paddedHeight / 8 : 0);
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
  EXPECT_EQ(huge->PackBands(0), 0);
  EXPECT_EQ(huge->rasterLength, 0);
  auto exact = LoadLogo(test::Blank1(4096, 384, 0, 0xFFFFFF));
  EXPECT_EQ(exact->PackDirect(0), 48);
  EXPECT_EQ(exact->rasterLength, 196608);
  // Appending a second picture's bytes would overrun the raster.
  EXPECT_EQ(exact->PackBands(0), 0);
  EXPECT_EQ(exact->rasterLength, 196608);
}

TEST_F(PackFiles, WithoutPictureNothingIsPackedOrWritten) {
  LogoBitmap logo;
  EXPECT_EQ(logo.LoadBitmapFile(Path("missing.bmp")), 0);
  for (int packed : {logo.PackDirect(0), logo.PackThreshold(5), logo.PackDiffused(5), logo.PackBands(0),
                     logo.PackConvertedBands(), logo.rasterLength}) {
    EXPECT_EQ(packed, 0);
  }
  EXPECT_EQ(logo.WritePreviewFile(), 255);
  EXPECT_EQ(logo.WriteAdjustedFile(), 255);
  EXPECT_FALSE(Exists("Temp.bmp"));
  EXPECT_FALSE(Exists("TempTe.bmp"));
}

}  // namespace
}  // namespace brindle
