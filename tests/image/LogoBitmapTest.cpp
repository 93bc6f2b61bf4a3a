// A logo's conversion, by the values its rules give when worked by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include "image/LogoConversion.h"
#include "image/LogoLimits.h"
#include "image/TempFiles.h"
#include "support/Bmp.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;
using Dots = std::vector<int>;

struct Logo : InTempDir {
  Bytes FileBytes(const char* name) {
    const std::string bytes = dir.Read(name);
    return {bytes.begin(), bytes.end()};
  }
};

template <typename Image>
Dots Row(const Image& image, int r, int n) { return Dots(image[r].begin(), image[r].begin() + n); }

Bytes Packed(const LogoBitmap& logo) {
  return Bytes(logo.raster.begin(), logo.raster.begin() + logo.rasterLength);
}


// ToGray (level -1) or ToGrayAdjusted: (31, 31, 255) weighs 97.976, (0, 224, 0)
// 131.488; a gray table entry gives its value. Each depth's pixels: the BMP suite.
TEST(Gray, PixelsWeighTheirColoursWithTheBrightnessClamped) {
  auto rgb = [](const Bytes& bgr) {
    return BmpFields{.width = int(bgr.size()) / 3, .pixels = Rows(bgr, 1)};
  };
  const std::tuple<BmpFields, int, Dots> cases[] = {
      {rgb({128, 128, 128, 129, 129, 129, 255, 255, 255, 254, 254, 254, 0, 0, 255, 0, 255, 0,
            255, 0, 0}), -1, {127, 129, 255, 253, 76, 149, 29}},
      {rgb({0, 0, 255, 240, 240, 240}), 0, {97, 255}}, {rgb({0, 255, 0, 20, 20, 20}), 10, {131, 0}},
      {Indexed8({250, 100}), 0, {255, 131}},
      {{.width = 3, .bitsPerPixel = 8, .palette = {0xFF0000, 0xFFFF00, 0x808080},
        .pixels = {0, 1, 2, 0}}, -1, {76, 225, 128}},
  };
  for (const auto& [fields, level, gray] : cases) {
    auto logo = LoadLogo(fields);
    for (int x = 0; x < int(gray.size()); ++x) {
      if (level < 0) logo->ToGray(x, 0);
      else logo->ToGrayAdjusted(x, 0, std::uint16_t(level));
    }
    EXPECT_EQ(Row(logo->grayImage, 0, int(gray.size())), gray) << gray[0];
  }
  // Positions outside the picture change nothing.
  auto logo = LoadLogo(Indexed8({10, 20, 30}, 2));
  logo->grayImage[0][3] = logo->grayImage[2][0] = 77;
  for (auto [x, r] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}}) logo->ToGrayAdjusted(x, r, 0);
  EXPECT_EQ(std::tuple(logo->grayImage[0][3], logo->grayImage[2][0]), std::tuple(77, 77));
}

// Level L brightens by trunc((5 - L) * 5 * 1.27), cuts at 5 * L + 103 (still black).
TEST(Threshold, GrayEqualToTheThresholdIsBlack) {
  const int offsets[11] = {31, 25, 19, 12, 6, 0, -6, -12, -19, -25, -31};
  for (std::uint16_t level = 0; level <= 10; ++level) {
    EXPECT_EQ(BrightnessOffset(level), offsets[level]) << level;
  }
  auto logo = LoadLogo(Indexed8({128, 129, 103, 104, 153, 154, 0, 255}));
  for (int x = 0; x < 8; ++x) logo->ToGray(x, 0);
  logo->ThresholdGray(5);
  EXPECT_EQ(Row(logo->monoImage, 0, 8), (Dots{0, 255, 0, 0, 255, 255, 0, 255}));
  logo->ThresholdGray(10);
  EXPECT_EQ(Row(logo->monoImage, 0, 8), (Dots{0, 0, 0, 0, 0, 255, 0, 255}));
}

// Gray 100 passes 8 * 100 / 42 = 19 on, 9 to the next but one, also past the
// right edge; 19 passes 3 on. Checked: the last pixel listed (rows of 8).
TEST(Diffusion, SharesReachTheNextPositionsAcrossTheRightEdge) {
  const std::pair<Bytes, int> cases[] = {
      {{100, 110}, 255}, {{100, 109}, 0},        // 110 + 19 = 129
      {{100, 0, 117}, 255}, {{100, 0, 116}, 0},  // 117 + 9 + 3 = 129
      {{0, 0, 0, 0, 0, 0, 0, 100, 110}, 255}, {{0, 0, 0, 0, 0, 0, 0, 100, 109}, 0},
  };
  for (const auto& [pixels, mono] : cases) {
    BmpFields s = Indexed8(Bytes(8), 2);
    std::copy(pixels.begin(), pixels.end(), s.pixels.begin());
    auto logo = LoadLogo(s);
    for (int at = 0; at < 16; ++at) logo->ToGray(at % 8, at / 8);
    logo->DiffuseError();
    const int at = int(pixels.size()) - 1;
    EXPECT_EQ(logo->monoImage[at / 8][at % 8], mono) << int(pixels.back());
  }
  // The padding enters as black.
  auto logo = LoadLogo(Indexed8({255, 255, 255}));
  for (auto& row : logo->grayImage) row.fill(255);
  for (int x = 0; x < 3; ++x) logo->ToGray(x, 0);
  logo->DiffuseError();
  EXPECT_EQ(Row(logo->monoImage, 0, 4), (Dots{255, 255, 255, 0}));
  EXPECT_EQ(logo->monoImage[1][0], 0);
}

// Among white pixels (they pass nothing on), a black pixel of gray 100 at (2, 0)
// gives each neighbour trunc(w * 100 / 42) for the weights 8 4 on its row and
// 2 4 8 4 2, 1 2 4 2 1 on the two below: 129 - share turns white, 128 - share not.
TEST(Diffusion, EachNeighbourGetsItsShare) {
  const int shares[3][5] = {{0, 0, 0, 19, 9}, {4, 9, 19, 9, 4}, {2, 4, 9, 4, 2}};
  for (int dy = 0; dy < 3; ++dy) {
    for (int x = 0; x < 5; ++x) {
      for (const int white : {0, 1}) {
        if (shares[dy][x] == 0) continue;
        auto logo = LoadLogo(Indexed8(Bytes(8), 3));
        for (auto& row : logo->grayImage) row.fill(255);
        logo->grayImage[0][2] = 100;
        logo->grayImage[dy][x] = static_cast<std::uint8_t>(128 + white - shares[dy][x]);
        logo->DiffuseError();
        EXPECT_EQ(logo->monoImage[dy][x], 255 * white) << x << "," << dy;
      }
    }
  }
}

// Black pixels (column, row from the top) of 10 x 3 and 10 x 9 pictures packed
// down each column and along each band, whichever colour entry 0 is.
TEST(Pack, ColumnAndBandOrderWhateverThePalette) {
  const struct {
    int height;
    std::vector<std::pair<int, int>> black, columnDots, bandDots;  // dots: byte, value
  } cases[] = {
      {3, {{0, 0}, {9, 0}, {3, 2}}, {{0, 128}, {9, 128}, {3, 32}}, {{0, 128}, {9, 128}, {3, 32}}},
      {9, {{0, 0}, {9, 0}, {1, 8}}, {{0, 128}, {18, 128}, {3, 128}}, {{0, 128}, {9, 128},
                                                                     {17, 128}}},
  };
  for (const auto& c : cases) {
    for (bool white : {false, true}) {
      BmpFields s = Blank1(10, c.height, white ? 0xFFFFFF : 0, white ? 0 : 0xFFFFFF);
      if (!white) s.pixels.assign(s.pixels.size(), 0xFF);
      for (auto [x, y] : c.black) s.pixels[(c.height - 1 - y) * 4 + x / 8] ^= 0x80 >> (x % 8);
      const int bands = (c.height + 7) / 8;
      Bytes columns(16 * bands, 0), rows = columns;
      for (auto [at, v] : c.columnDots) columns[at] = std::uint8_t(v);
      for (auto [at, v] : c.bandDots) rows[at] = std::uint8_t(v);
      auto logo = LoadLogo(s), banded = LoadLogo(s);
      EXPECT_EQ(logo->PackDirect(white) + banded->PackBands(white), bands + 1);
      EXPECT_EQ(std::tuple(logo->paddedWidth, logo->paddedHeight, Packed(*logo), Packed(*banded)),
                std::tuple(16, 8 * bands, columns, rows)) << c.height << white;
    }
  }
}

// White and gray 120 at levels 5 and 0 (thresholds 128, 103); gray 100 diffused.
TEST_F(Logo, ConvertedPicturesPackTheirConversion) {
  BmpFields s = Solid24(8, 1, 120, 120, 120);
  s.pixels[0] = s.pixels[1] = s.pixels[2] = 255;
  auto level5 = LoadLogo(s), level0 = LoadLogo(s), gray = LoadLogo(Solid24(8, 1, 100, 100, 100));
  EXPECT_EQ(level5->PackThreshold(5) + level0->PackThreshold(0) + gray->PackDiffused(5), 3);
  EXPECT_EQ(Packed(*level5), (Bytes{0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}));
  EXPECT_EQ(Packed(*level0), Bytes(8, 0));
  EXPECT_EQ(Packed(*gray), (Bytes{0x80, 0x80, 0, 0x80, 0x80, 0x80, 0, 0x80}));
}

// Converting needs at most 512 x 648 padded, direct packing room in the raster.
TEST_F(Logo, PicturesBeyondTheBuffersPackNothing) {
  for (auto [bits, w, h, fits] : {std::tuple{24, 512, 648, true}, {24, 513, 1, false},
                                  {8, 1, 649, false}, {1, 2048, 768, true}, {1, 2048, 769, false},
                                  {24, 0, 1, false}}) {
    EXPECT_EQ(LogoFitsDevice(bits, w, h), fits) << bits << ": " << w << "x" << h;
  }
  LogoBitmap none;  // a failed load forgets the picture before
  const Bytes file = BuildBmp(Solid24(8, 8, 0, 0, 0));
  none.LoadBitmapData(file.data(), file.size());
  EXPECT_EQ(none.LoadBitmapData(file.data(), 60), 0);
  EXPECT_EQ(std::tuple(none.PackDirect(0), none.PackThreshold(5), none.PackDiffused(5),
                       none.PackBands(0), none.PackConvertedBands(), none.WritePreviewFile(),
                       none.WriteAdjustedFile(), none.paddedWidth),
            std::tuple(0, 0, 0, 0, 0, 255, 255, 0));
  EXPECT_FALSE(dir.Exists("Temp.bmp") || dir.Exists("TempTe.bmp"));
  for (auto [w, h, fits] : {std::tuple{512, 648, 1}, {513, 8, 0}, {8, 649, 0}}) {
    auto logo = LoadLogo(Solid24(w, h, 0, 0, 0)), diffused = LoadLogo(Solid24(w, h, 0, 0, 0));
    EXPECT_EQ(logo->PackThreshold(5) + diffused->PackDiffused(5), fits * 162) << w << "x" << h;
    EXPECT_EQ(logo->rasterLength + diffused->WritePreviewFile(), fits * 41473);
  }
  auto huge = LoadLogo(Blank1(4096, 400, 0, 0xFFFFFF));  // 204,800 bytes
  EXPECT_EQ(huge->PackDirect(0) + huge->PackBands(0) + huge->rasterLength, 0);
  auto exact = LoadLogo(Blank1(4096, 384, 0, 0xFFFFFF));
  EXPECT_EQ(exact->PackDirect(0), 48);
  EXPECT_EQ(std::tuple(exact->PackBands(0), exact->rasterLength), std::tuple(0, 196608));
}

// Depth (or pixels at 54) and colour entry 0 (or the first pixel) by header kind;
// missing bytes count as 0.
TEST_F(Logo, ProbesAnswerForEachHeaderKind) {
  auto with = [](BmpFields s, std::uint32_t header) {
    s.headerSize = header;
    return BuildBmp(s);
  };
  const BmpFields white24 = Solid24(3, 2, 255, 255, 255), white1 = Blank1(8, 1, 0xFFFFFF, 0);
  Bytes cut = BuildBmp(white24), notBm = cut;
  cut.resize(56);  // bytes 54 and 55 are FF, 56 is missing
  notBm[1] = 'A';
  const std::tuple<Bytes, int, int> cases[] = {
      {cut, 1, 0}, {Bytes(&cut[0], &cut[14]), 1, 0}, {Bytes(&cut[0], &cut[13]), 0, 0},
      {BuildBmp(white24), 1, 1}, {with(white24, 124), 1, 1}, {notBm, 0, 0},
      {BuildBmp(Indexed8({0})), 1, 0}, {with(white1, 40), 0, 1}, {with(white1, 124), 0, 1},
      {with(white1, 12), 0, 1}, {BuildBmp(Blank1(8, 1, 0, 0)), 0, 0},
  };
  auto logo = LoadLogo(white24);
  for (const auto& [file, needsConversion, paletteWhite] : cases) {
    const std::string path = dir.Write("probe.bmp", file);
    logo->rasterLength = 7;
    const int header = logo->ProbeHeader(path), palette = logo->ProbePalette(path);
    EXPECT_EQ(std::tuple(header, palette, logo->rasterLength),
              std::tuple(needsConversion, paletteWhite, 0)) << file.size();
  }
}

// A 10 x 2 picture, top row black at column 0 only; then the row padding.
TEST_F(Logo, PreviewFileHasTheExactLayout) {
  BmpFields s = Solid24(10, 2, 255, 255, 255);
  s.pixels[32] = s.pixels[33] = s.pixels[34] = 0;
  auto logo = LoadLogo(s);
  ASSERT_EQ(logo->PackThreshold(5), 1);
  ASSERT_EQ(logo->WritePreviewFile(), 1);
  EXPECT_EQ(FileBytes("Temp.bmp"), (Bytes{
      0x42, 0x4D, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // BM, size 70
      0x3E, 0x00, 0x00, 0x00,                                      // pixels at 62
      0x28, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00,              // 40, width 10
      0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,              // height 2, 1, 1
      0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,              // no compression, 8
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // resolutions 0
      0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 2 colours, 0
      0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,              // white, black
      0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00,              // bottom, top row
  }));
  for (auto [width, row] : {std::pair{32, 4}, {33, 8}}) {
    auto black = LoadLogo(Solid24(width, 3, 0, 0, 0));
    black->PackThreshold(5);
    ASSERT_EQ(black->WritePreviewFile(), 1);
    const Bytes file = FileBytes("Temp.bmp");
    ASSERT_EQ(file.size(), 62u + row * 3);
    EXPECT_EQ(std::tuple(file[2], file[34], file[61 + row], file[66]),
              std::tuple(62 + row * 3, row * 3, row == 4 ? 255 : 0, row == 4 ? 255 : 128));
  }
}

// At level 0 the grays become 127, 129, 31, 255, 231, 41, 81, 158, 159: cut at 128.
TEST_F(Logo, AdjustedFileCutsTheAdjustedGrayAt128) {
  Bytes row;
  for (int v : {97, 98, 0, 255, 200, 10, 50, 127, 128}) row.insert(row.end(), 3, std::uint8_t(v));
  ASSERT_EQ(LoadLogo({.width = 9, .pixels = Rows(row, 1)})->PackDiffused(0), 1);
  const Bytes file = FileBytes("TempTe.bmp");
  ASSERT_EQ(file.size(), 66u);
  EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 26), (Bytes{9, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(file.begin() + 62, file.end()), (Bytes{0xA6, 0x00, 0x00, 0x00}));
}

// A link's target is never written; a file not written is never named (an older
// one would show). Paths have no length limit.
TEST_F(Logo, FilesReplaceTheirNameAndNeverWriteThroughALink) {
  auto logo = LoadLogo(Solid24(8, 8, 0, 0, 0));
  const std::string colour = dir.Write("c.bmp", BuildBmp(Solid24(8, 8, 0, 0, 0)));
  std::filesystem::create_directory("Temp.bmp");
  EXPECT_EQ(logo->WritePreviewFile(), 0);
  EXPECT_EQ(MakePreviewFile(colour, 0, 5), "");
  dir.Write("target.bmp", "abc");
  ASSERT_EQ(::symlink("target.bmp", "TempTe.bmp"), 0);
  EXPECT_EQ(logo->WriteAdjustedFile(), 1);
  EXPECT_EQ(dir.Read("target.bmp") + std::to_string(dir.Read("TempTe.bmp").size()), "abc94");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 4);
  std::filesystem::path deep = dir.path();
  for (char c = 'a'; c < 'g'; ++c) deep /= std::string(40, c);
  std::filesystem::create_directories(deep);
  std::filesystem::current_path(deep);
  EXPECT_EQ(MakePreviewFile(colour, 0, 5), deep.string() + "/Temp.bmp");
  SetTempPictureDir(dir.str());
  EXPECT_EQ(MakePreviewFile(colour, 0, 5), "");
  SetTempPictureDir("");
}

}  // namespace
}  // namespace brindle
