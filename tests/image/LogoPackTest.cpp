// Packing into device raster bytes, in column and band order, from each dot
// source, and the refusal of pictures beyond the buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "BmpBuilder.h"
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
    EXPECT_EQ(banded->PackBands(), 1);
    EXPECT_EQ(std::tuple(logo->paddedWidth, logo->paddedHeight, Packed(*logo), Packed(*banded)),
              std::tuple(16, 8 * c.columnBytes, columns, bands));
  }
}

// With colour-table entry 0 white the same picture stores inverted bits;
// PackDirect reads them as stored and gives the same dots. PackBands always
// takes bit 0 as a dot: that file comes out inverted inside the picture,
// padding stays blank.
TEST(Pack, DirectPackingFollowsThePaletteAndBandPackingDoesNot) {
  const auto dots = std::vector<std::pair<int, int>>{{0, 0}, {9, 0}, {3, 2}};
  auto black = LoadLogo(Mono(10, 3, dots, false));
  auto white = LoadLogo(Mono(10, 3, dots, true));
  black->PackDirect(0);
  white->PackDirect(1);
  EXPECT_EQ(Packed(*black), Packed(*white));
  EXPECT_EQ(Packed(*black)[3], 0x20);
  auto banded = LoadLogo(Mono(10, 3, dots, true));
  banded->PackBands();
  EXPECT_EQ(Packed(*banded)[0], 0x60);   // column 0: the top pixel is black
  EXPECT_EQ(Packed(*banded)[1], 0xE0);   // column 1: three white pixels as dots
  EXPECT_EQ(Packed(*banded)[10], 0x00);  // padding column
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

// With paletteWhite 1 a converted picture packs from its own bytes: the sum
// of B, G, R below 384 is a dot, at every level and in both modes. Below 24
// bits the rule reads the bytes after the pixel; bytes past the end of the
// pixel data count as 0 (column 3 reads 255, then two missing bytes).
TEST_F(PackFiles, SourceAverageReadsThePicturesOwnBytes) {
  BmpFields s{.width = 2, .pixels = {128, 128, 127, 128, 128, 128, 0, 0}};
  for (std::uint16_t level = 0; level <= 10; ++level) {
    auto a = LoadLogo(s);
    auto b = LoadLogo(s);
    EXPECT_EQ(a->PackThreshold(1, level), 1);
    EXPECT_EQ(b->PackDiffused(1, level), 1);
    EXPECT_EQ(Packed(*a), (Bytes{0x80, 0, 0, 0, 0, 0, 0, 0})) << level;
    EXPECT_EQ(Packed(*b), (Bytes{0x80, 0, 0, 0, 0, 0, 0, 0})) << level;
  }
  auto logo = LoadLogo(test::Indexed8({0, 0, 255, 255}));
  EXPECT_EQ(logo->PackThreshold(1, 5), 1);
  EXPECT_EQ(Packed(*logo), (Bytes{0x80, 0, 0, 0x80, 0, 0, 0, 0}));
}

// "Error Diffusion" on a row of eight gray-100 pixels, padded with black
// rows: black, black, white, black, black, black, white, black.
TEST_F(PackFiles, DiffusedEightByOneRowGivesTheWorkedPattern) {
  auto logo = LoadLogo(test::Solid24(8, 1, 100, 100, 100));
  EXPECT_EQ(logo->PackDiffused(0, 5), 1);
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

TEST_F(PackFiles, WithoutPictureNothingIsPackedOrWritten) {
  LogoBitmap logo;
  EXPECT_EQ(logo.LoadBitmapFile(Path("missing.bmp")), 0);
  for (int packed : {logo.PackDirect(0), logo.PackThreshold(1, 5), logo.PackDiffused(0, 5), logo.PackBands(),
                     logo.rasterLength}) {
    EXPECT_EQ(packed, 0);
  }
  EXPECT_EQ(logo.WritePreviewFile(), 255);
  EXPECT_EQ(logo.WriteAdjustedFile(), 255);
  EXPECT_FALSE(Exists("Temp.bmp"));
  EXPECT_FALSE(Exists("TempTe.bmp"));
}

}  // namespace
}  // namespace brindle
