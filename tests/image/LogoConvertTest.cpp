// Gray values, the level threshold and error diffusion, with the values the
// conversion rules give when worked by hand.
#include <gtest/gtest.h>

#include <array>

#include "support/Bmp.h"
#include "image/LogoBitmap.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::Indexed8;
using test::LoadLogo;

// The first `count` values of row r of one of the working images.
template <typename Image>
std::vector<int> Row(const Image& image, int r, int count) {
  return std::vector<int>(image[r].begin(), image[r].begin() + count);
}

// Pixels given as B, G, R, at 24 or 32 bits, in one row.
BmpFields TrueColour(std::uint16_t bits, const std::vector<std::array<std::uint8_t, 3>>& bgr) {
  test::Bytes row;
  for (const auto& p : bgr) {
    row.insert(row.end(), p.begin(), p.end());
    if (bits == 32) row.push_back(0x5A);  // ignored byte
  }
  return {.width = static_cast<int>(bgr.size()), .bitsPerPixel = bits, .pixels = test::Rows(row, 1)};
}

// Gray values by ToGray (level kPlain) or ToGrayAdjusted at a level, for
// every pixel of a one-row picture. 24 and 32 bits weigh G, R, B in that
// order: (31, 31, 255) weighs to 97.976, (0, 224, 0) to 131.488; channels
// that pass 255 or 0 stop there. 1, 4 and 8 bits take the colour-table
// entry: a gray entry gives its value, a colour is weighed (red 76, yellow
// 225); 4 bits hold two pixels a byte, high half first. 16 bits scale each
// channel of n bits as (c * 255 + (2^n - 1) div 2) div (2^n - 1): red 16 of
// 5 bits is 132, green 32 of 6 bits 130.
TEST(Gray, PixelsWeighTheirColoursWithTheBrightnessClamped) {
  constexpr int kPlain = -1;
  const std::vector<std::array<std::uint8_t, 3>> edges = {{128, 128, 128}, {129, 129, 129}, {255, 255, 255},
                                                          {254, 254, 254}, {0, 0, 255},     {0, 255, 0},
                                                          {255, 0, 0}};
  const BmpFields colours{.width = 3, .bitsPerPixel = 8, .palette = {0xFF0000, 0xFFFF00, 0x808080},
                          .pixels = {0, 1, 2, 0}};
  const BmpFields s4{.width = 2, .bitsPerPixel = 4, .palette = test::GrayPalette(16),
                     .pixels = {0x3C, 0, 0, 0}};
  const BmpFields s555{.width = 2, .bitsPerPixel = 16, .pixels = {0xFF, 0x7F, 0x00, 0x40}};
  const BmpFields s565{.width = 1, .bitsPerPixel = 16, .compression = 3,
                       .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0x00, 0x04, 0, 0}};
  const struct {
    BmpFields fields;
    int level;
    std::vector<int> gray;
  } cases[] = {
      {TrueColour(24, edges), kPlain, {127, 129, 255, 253, 76, 149, 29}},
      {TrueColour(32, edges), kPlain, {127, 129, 255, 253, 76, 149, 29}},
      {TrueColour(24, {{0, 0, 255}, {240, 240, 240}}), 0, {97, 255}},
      {TrueColour(32, {{0, 255, 0}, {20, 20, 20}}), 10, {131, 0}},
      {TrueColour(24, {{128, 128, 128}}), 5, {127}},
      {Indexed8({200, 7}), kPlain, {200, 7}},
      {Indexed8({250, 100}), 0, {255, 131}},
      {Indexed8({10}), 10, {0}},
      {colours, kPlain, {76, 225, 128}},
      {colours, 0, {97, 229, 159}},
      {s4, kPlain, {51, 204}},
      {s4, 0, {82, 235}},
      {s555, kPlain, {255, 39}},
      {s555, 0, {255, 70}},
      {s565, kPlain, {76}},
      {s565, 0, {107}},
      {test::Blank1(2, 1, 0xFFFFFF, 0), kPlain, {255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fields.bitsPerPixel << " bits, level " << c.level);
    auto logo = LoadLogo(c.fields);
    const int width = static_cast<int>(c.gray.size());
    logo->grayImage[0].fill(99);
    for (int x = 0; x < width; ++x) {
      if (c.level == kPlain) logo->ToGray(x, 0);
      else logo->ToGrayAdjusted(x, 0, static_cast<std::uint16_t>(c.level));
    }
    EXPECT_EQ(Row(logo->grayImage, 0, width), c.gray);
  }
}

TEST(Gray, PositionsOutsideThePictureAreIgnored) {
  auto logo = LoadLogo(Indexed8({10, 20, 30}, 2));
  logo->grayImage[0][3] = 77;
  logo->grayImage[2][0] = 78;
  logo->ToGray(3, 0);
  logo->ToGray(0, 2);
  logo->ToGray(-1, 0);
  logo->ToGray(0, -1);
  logo->ToGrayAdjusted(5000, 5000, 0);
  EXPECT_EQ(logo->grayImage[0][3], 77);
  EXPECT_EQ(logo->grayImage[2][0], 78);
  LogoBitmap empty;
  empty.ToGray(0, 0);
  EXPECT_EQ(empty.grayImage[0][0], 0);
}

TEST(Levels, OffsetsAndThresholdsFollowTheLevelTable) {
  const int offsets[11] = {31, 25, 19, 12, 6, 0, -6, -12, -19, -25, -31};
  for (std::uint16_t level = 0; level <= 10; ++level) {
    EXPECT_EQ(BrightnessOffset(level), offsets[level]) << level;
    EXPECT_EQ(ThresholdLevel(level), 103 + 5 * level) << level;
  }
}

TEST(Threshold, GrayEqualToTheThresholdIsBlack) {
  auto logo = LoadLogo(Indexed8({128, 129, 103, 104, 153, 154, 0, 255}));
  for (int x = 0; x < 8; ++x) logo->ToGray(x, 0);
  const struct {
    std::uint16_t level;
    std::vector<int> mono;
  } cases[] = {
      {5, {0, 255, 0, 0, 255, 255, 0, 255}},
      {0, {255, 255, 0, 255, 255, 255, 0, 255}},
      {10, {0, 0, 0, 0, 0, 255, 0, 255}},
  };
  for (const auto& c : cases) {
    logo->ThresholdGray(c.level);
    EXPECT_EQ(Row(logo->monoImage, 0, 8), c.mono) << c.level;
  }
}

// Gray 100 is black and passes trunc(8 * 100 / 42) = 19 to the next
// position and trunc(4 * 100 / 42) = 9 to the one after; in a picture 8
// wide, column 7 passes on to columns 0 and 1 of the next row.
TEST(Diffusion, SharesNineteenAndNineReachTheNextPositionsAcrossTheRightEdge) {
  const struct {
    std::vector<std::uint8_t> row0;
    std::uint8_t row1;  // row 1, column 0
    int r, x, mono;
  } cases[] = {
      {{100, 110}, 0, 0, 1, 255},  // 110 + 19 = 129
      {{100, 109}, 0, 0, 1, 0},    // 109 + 19 = 128
      // Column 1 (0 + 19) is black and passes trunc(8 * 19 / 42) = 3 on.
      {{100, 0, 116}, 0, 0, 2, 0},    // 116 + 9 + 3 = 128
      {{100, 0, 117}, 0, 0, 2, 255},  // 117 + 9 + 3 = 129
      {{0, 0, 0, 0, 0, 0, 0, 100}, 110, 1, 0, 255},
      {{0, 0, 0, 0, 0, 0, 0, 100}, 109, 1, 0, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> row = c.row0;
    row.resize(8, 0);
    BmpFields s = Indexed8(row, 2);
    s.pixels[8] = c.row1;
    auto logo = LoadLogo(s);
    for (int x = 0; x < 8; ++x) {
      for (int r = 0; r < 8; ++r) logo->ToGray(x, r);
    }
    logo->DiffuseError();
    EXPECT_EQ(logo->monoImage[c.r][c.x], c.mono) << int(c.row0.back()) << " " << int(c.row1);
  }
}

TEST(Diffusion, PaddingEntersAsBlackWhateverTheImagesHeld) {
  auto logo = LoadLogo(Indexed8({255, 255, 255}, 1));
  for (auto& row : logo->grayImage) row.fill(255);
  for (int x = 0; x < 3; ++x) logo->ToGray(x, 0);
  logo->DiffuseError();
  EXPECT_EQ(Row(logo->monoImage, 0, 4), (std::vector<int>{255, 255, 255, 0}));
  EXPECT_EQ(logo->monoImage[1][0], 0);
}

}  // namespace
}  // namespace brindle
