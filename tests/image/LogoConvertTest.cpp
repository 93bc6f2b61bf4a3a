// Gray values, the level threshold and error diffusion, with the values the
// conversion rules give when worked by hand.
#include <gtest/gtest.h>

#include "LogoTestSupport.h"
#include "image/LogoBitmap.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::Bytes;
using test::Indexed8;
using test::LoadLogo;

std::vector<int> GrayRow(const LogoBitmap& logo, int r, int count) {
  std::vector<int> out;
  for (int x = 0; x < count; ++x) out.push_back(logo.grayImage[r][x]);
  return out;
}

std::vector<int> MonoRow(const LogoBitmap& logo, int r, int count) {
  std::vector<int> out;
  for (int x = 0; x < count; ++x) out.push_back(logo.monoImage[r][x]);
  return out;
}

// Seven pixels given as B, G, R, at 24 and 32 bits.
BmpFields TrueColour(int bits, const std::vector<std::array<std::uint8_t, 3>>& bgr) {
  BmpFields s;
  s.bitsPerPixel = static_cast<std::uint16_t>(bits);
  s.width = static_cast<int>(bgr.size());
  s.height = 1;
  for (const auto& p : bgr) {
    s.pixels.insert(s.pixels.end(), p.begin(), p.end());
    if (bits == 32) s.pixels.push_back(0x5A);  // ignored byte
  }
  while (s.pixels.size() % 4) s.pixels.push_back(0);
  return s;
}

const std::vector<std::array<std::uint8_t, 3>> kEdgePixels = {
    {128, 128, 128}, {129, 129, 129}, {255, 255, 255}, {254, 254, 254},
    {0, 0, 255},     {0, 255, 0},     {255, 0, 0},
};

TEST(Gray, TrueColourPixelsWeighChannelsInTheStatedOrder) {
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    auto logo = LoadLogo(TrueColour(bits, kEdgePixels));
    for (int x = 0; x < 7; ++x) logo->ToGray(x, 0);
    EXPECT_EQ(GrayRow(*logo, 0, 7), (std::vector<int>{127, 129, 255, 253, 76, 149, 29}));
  }
}

TEST(Gray, IndexedPixelsTakeTheStoredByteAndOtherDepthsGiveBlack) {
  // 8 bits: the index, whatever colour it names (the table is all black).
  auto logo8 = LoadLogo(Indexed8({200, 7}));
  logo8->ToGray(0, 0);
  logo8->ToGray(1, 0);
  EXPECT_EQ(GrayRow(*logo8, 0, 2), (std::vector<int>{200, 7}));

  // 4 bits: the whole byte holding the pixel, for both of its pixels.
  BmpFields s4;
  s4.bitsPerPixel = 4;
  s4.width = 2;
  s4.palette.assign(16, 0);
  s4.pixels = {0x3C, 0, 0, 0};
  auto logo4 = LoadLogo(s4);
  logo4->ToGray(0, 0);
  logo4->ToGray(1, 0);
  EXPECT_EQ(GrayRow(*logo4, 0, 2), (std::vector<int>{0x3C, 0x3C}));

  // 16 and 1 bits: gray 0, even for white pixels.
  BmpFields s16;
  s16.bitsPerPixel = 16;
  s16.width = 2;
  s16.pixels = {0xFF, 0x7F, 0xFF, 0x7F};
  auto logo16 = LoadLogo(s16);
  logo16->grayImage[0][0] = logo16->grayImage[0][1] = 99;
  logo16->ToGray(0, 0);
  logo16->ToGrayAdjusted(1, 0, 0);
  EXPECT_EQ(GrayRow(*logo16, 0, 2), (std::vector<int>{0, 0}));

  BmpFields s1 = test::Blank1(2, 1, 0xFFFFFF, 0);
  auto logo1 = LoadLogo(s1);
  logo1->grayImage[0][0] = 99;
  logo1->ToGray(0, 0);
  EXPECT_EQ(logo1->grayImage[0][0], 0);
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
  for (int level = 0; level <= 10; ++level) {
    EXPECT_EQ(BrightnessOffset(static_cast<std::uint16_t>(level)), offsets[level]) << level;
    EXPECT_EQ(ThresholdLevel(static_cast<std::uint16_t>(level)), 103 + 5 * level) << level;
  }
}

TEST(Gray, BrightnessIsAddedToEachChannelAndClamped) {
  struct Case {
    std::array<std::uint8_t, 3> bgr;
    std::uint16_t level;
    int gray;
  };
  // (31, 31, 255) weighs to 97.976; (0, 224, 0) to 131.488; channels that
  // pass 255 or 0 stop there.
  const Case cases[] = {
      {{0, 0, 255}, 0, 97}, {{0, 255, 0}, 10, 131}, {{240, 240, 240}, 0, 255},
      {{20, 20, 20}, 10, 0}, {{128, 128, 128}, 5, 127},
  };
  for (const Case& c : cases) {
    auto logo = LoadLogo(TrueColour(24, {c.bgr}));
    logo->ToGrayAdjusted(0, 0, c.level);
    EXPECT_EQ(logo->grayImage[0][0], c.gray) << int(c.level);
  }
  auto logo8 = LoadLogo(Indexed8({250, 10, 100}));
  logo8->ToGrayAdjusted(0, 0, 0);
  logo8->ToGrayAdjusted(1, 0, 10);
  logo8->ToGrayAdjusted(2, 0, 0);
  EXPECT_EQ(GrayRow(*logo8, 0, 3), (std::vector<int>{255, 0, 131}));
}

TEST(Threshold, GrayEqualToTheThresholdIsBlack) {
  auto logo = LoadLogo(Indexed8({128, 129, 103, 104, 153, 154, 0, 255}));
  for (int x = 0; x < 8; ++x) logo->ToGray(x, 0);
  struct Case {
    std::uint16_t level;
    std::vector<int> mono;
  };
  const Case cases[] = {
      {5, {0, 255, 0, 0, 255, 255, 0, 255}},
      {0, {255, 255, 0, 255, 255, 255, 0, 255}},
      {10, {0, 0, 0, 0, 0, 255, 0, 255}},
  };
  for (const Case& c : cases) {
    logo->ThresholdGray(c.level);
    EXPECT_EQ(MonoRow(*logo, 0, 8), c.mono) << int(c.level);
  }
}

// Runs the gray step and the diffusion on an 8-bit picture whose indices
// are its gray values.
std::unique_ptr<LogoBitmap> Diffuse(const BmpFields& fields) {
  auto logo = LoadLogo(fields);
  for (int x = 0; x < logo->paddedWidth; ++x) {
    for (int r = 0; r < logo->paddedHeight; ++r) logo->ToGray(x, r);
  }
  logo->DiffuseError();
  return logo;
}

TEST(Diffusion, WhiteAndBlackPicturesSpreadNoError) {
  auto white = Diffuse(test::Solid24(8, 8, 255, 255, 255));
  auto black = Diffuse(test::Solid24(8, 8, 0, 0, 0));
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(MonoRow(*white, r, 8), std::vector<int>(8, 255));
    EXPECT_EQ(MonoRow(*black, r, 8), std::vector<int>(8, 0));
  }
}

// Gray 100 at (0, 0) is black and passes trunc(8 * 100 / 42) = 19 to its
// right neighbour and trunc(4 * 100 / 42) = 9 to the one after.
TEST(Diffusion, SharesNineteenAndNineReachTheRightNeighbours) {
  struct Case {
    std::vector<std::uint8_t> row;
    int x;
    int mono;
  };
  const Case cases[] = {
      {{100, 110}, 1, 255},  // 110 + 19 = 129
      {{100, 109}, 1, 0},    // 109 + 19 = 128
      // Column 1 (0 + 19) is black and passes trunc(8 * 19 / 42) = 3 on.
      {{100, 0, 116}, 2, 0},    // 116 + 9 + 3 = 128
      {{100, 0, 117}, 2, 255},  // 117 + 9 + 3 = 129
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> row = c.row;
    row.resize(16, 0);
    auto logo = Diffuse(Indexed8(row, 8));
    EXPECT_EQ(logo->monoImage[0][0], 0);
    EXPECT_EQ(logo->monoImage[0][c.x], c.mono) << int(c.row.back());
  }
}

// In a picture 8 wide, the error of column 7 passes on to columns 0 and 1
// of the next row (positions p + 1 and p + 2).
TEST(Diffusion, ErrorAtTheRightEdgeWrapsIntoTheNextRow) {
  struct Case {
    std::uint8_t next;
    int mono;
  };
  for (const Case& c : {Case{110, 255}, Case{109, 0}}) {
    BmpFields s = Indexed8({0, 0, 0, 0, 0, 0, 0, 100}, 2);
    s.pixels[8] = c.next;  // stored row 1, column 0
    auto logo = Diffuse(s);
    EXPECT_EQ(logo->monoImage[0][7], 0);
    EXPECT_EQ(logo->monoImage[1][0], c.mono) << int(c.next);
  }
}

TEST(Diffusion, PaddingEntersAsBlackWhateverTheImagesHeld) {
  auto logo = LoadLogo(Indexed8({255, 255, 255}, 1));
  for (auto& row : logo->grayImage) row.fill(255);
  for (int x = 0; x < 3; ++x) logo->ToGray(x, 0);
  logo->DiffuseError();
  EXPECT_EQ(MonoRow(*logo, 0, 4), (std::vector<int>{255, 255, 255, 0}));
  EXPECT_EQ(logo->monoImage[1][0], 0);
}

}  // namespace
}  // namespace brindle
