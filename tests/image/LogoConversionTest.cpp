// The probes, the per-file conversion used by uploads and the preview, and
// the size query of the logo list.
#include <gtest/gtest.h>

#include "BmpBuilder.h"
#include "TempDir.h"
#include "image/LogoConversion.h"
#include "image/TempFiles.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::Bytes;

class Conversion : public test::TempDirTest {
 protected:
  std::string File(const std::string& name, const BmpFields& s) { return Write(name, test::BuildBmp(s)); }
};

// needsConversion is 1 for every depth but 1 bit; paletteWhite tells whether
// colour-table entry 0 (without a table, the first stored pixel) is white,
// for every header kind. Missing bytes count as 0.
TEST_F(Conversion, ProbesAnswerForOneEightAndTwentyFourBitFiles) {
  struct Case {
    const char* what;
    Bytes file;
    int needsConversion;
    int paletteWhite;
  };
  BmpFields white24 = test::Solid24(3, 2, 255, 255, 255);
  BmpFields grey24 = white24;
  grey24.pixels[2] = 254;  // bottom-left pixel's red
  BmpFields pal8;
  pal8.bitsPerPixel = 8;
  pal8.palette = {0xFFFFFF, 0};
  pal8.pixels = {0, 0, 0, 0};
  BmpFields pal4 = pal8;
  pal4.bitsPerPixel = 4;
  BmpFields pal8v5 = pal8;
  pal8v5.headerSize = 124;
  BmpFields white24v5 = white24;
  white24v5.headerSize = 124;
  BmpFields mono1v5 = test::Blank1(8, 1, 0xFFFFFF, 0);
  mono1v5.headerSize = 124;
  BmpFields mono1core = test::Blank1(8, 1, 0xFFFFFF, 0);
  mono1core.headerSize = 12;
  BmpFields black1v4 = test::Blank1(8, 1, 0, 0xFFFFFF);
  black1v4.headerSize = 108;
  BmpFields pal8core = pal8;
  pal8core.headerSize = 12;
  BmpFields fields32 = test::Solid24(1, 1, 255, 255, 255);
  fields32.bitsPerPixel = 32;
  fields32.compression = 3;
  fields32.masks = {0xFF0000, 0xFF00, 0xFF};
  fields32.pixels = {255, 255, 255, 0};
  BmpFields white24pal = white24;
  white24pal.palette = {0, 0};
  Bytes fake(30, 0);  // "BM" and a data offset of 54, the rest cut off
  fake[0] = 'B';
  fake[1] = 'M';
  fake[10] = 54;
  Bytes almostWhite = test::BuildBmp(white24);
  almostWhite.resize(56);  // bytes 54 and 55 are FF, byte 56 is missing
  const Case cases[] = {
      {"24-bit, white bottom-left", test::BuildBmp(white24), 1, 1},
      {"24-bit, other bottom-left", test::BuildBmp(grey24), 1, 0},
      {"1-bit, entry 0 white", test::BuildBmp(test::Blank1(8, 1, 0xFFFFFF, 0)), 0, 1},
      {"1-bit, entry 0 black", test::BuildBmp(test::Blank1(8, 1, 0, 0xFFFFFF)), 0, 0},
      {"8-bit", test::BuildBmp(pal8), 1, 1},
      {"8-bit, V5 header", test::BuildBmp(pal8v5), 1, 1},
      {"8-bit, core header", test::BuildBmp(pal8core), 1, 1},
      {"24-bit, V5 header", test::BuildBmp(white24v5), 1, 1},
      {"24-bit with a colour table", test::BuildBmp(white24pal), 1, 0},
      {"32-bit bit fields", test::BuildBmp(fields32), 1, 0},
      {"1-bit, V5 header, entry 0 white", test::BuildBmp(mono1v5), 0, 1},
      {"1-bit, V4 header, entry 0 black", test::BuildBmp(black1v4), 0, 0},
      {"1-bit, core header, entry 0 white", test::BuildBmp(mono1core), 0, 1},
      {"4-bit", test::BuildBmp(pal4), 1, 1},
      {"30 bytes", fake, 1, 0},
      {"cut at 56 bytes", almostWhite, 1, 0},
      {"14 bytes with offset 54", Bytes(fake.begin(), fake.begin() + 14), 1, 0},
      {"13 bytes", Bytes(fake.begin(), fake.begin() + 13), 0, 0},
      {"not BM", Bytes{'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write("probe.bmp", c.file);
    LogoBitmap logo;
    logo.rasterLength = 7;
    EXPECT_EQ(logo.ProbeHeader(path), c.needsConversion);
    EXPECT_EQ(logo.rasterLength, 0);
    logo.rasterLength = 7;
    EXPECT_EQ(logo.ProbePalette(path), c.paletteWhite);
    EXPECT_EQ(logo.rasterLength, 0);
  }
  LogoBitmap logo;
  EXPECT_EQ(logo.ProbeHeader(Path("missing.bmp")), 0);
  EXPECT_EQ(logo.ProbePalette(Path("missing.bmp")), 0);
  EXPECT_EQ(logo.ProbeHeader(dir_.string()), 0);
}

// The worked example of an upload: a 1-bit logo of 200 x 100 dots packs
// 25 x 13 x 8 = 2,600 bytes without conversion.
TEST_F(Conversion, OneBitLogoPacksDirectly) {
  const std::string path = File("logo.bmp", test::Blank1(200, 100, 0, 0xFFFFFF));
  auto logo = std::make_unique<LogoBitmap>();
  const LogoConversion c = ConvertLogo(*logo, path, 1, 5);
  EXPECT_EQ(c.needsConversion, 0);
  EXPECT_EQ(c.loaded, 1);
  EXPECT_EQ(c.paletteWhite, 0);
  EXPECT_EQ(c.columnBytes, 13);
  EXPECT_EQ(logo->paddedWidth, 200);
  EXPECT_EQ(logo->paddedHeight, 104);
  EXPECT_EQ(logo->rasterLength, 2600);
  EXPECT_FALSE(std::filesystem::exists(Path("TempTe.bmp")));
}

// Only the low 16 bits of the halftone mode choose error diffusion, which
// is the packing that writes "TempTe.bmp".
TEST_F(Conversion, HalftoneModeChoosesTheConvertingPacking) {
  const std::string path = File("logo.bmp", test::Solid24(16, 8, 0, 0, 0));
  auto logo = std::make_unique<LogoBitmap>();
  LogoConversion c = ConvertLogo(*logo, path, 0x10000, 5);
  EXPECT_EQ(c.needsConversion, 1);
  EXPECT_EQ(c.columnBytes, 1);
  EXPECT_EQ(logo->rasterLength, 16);
  EXPECT_FALSE(std::filesystem::exists(Path("TempTe.bmp")));
  c = ConvertLogo(*logo, path, 1, 5);
  EXPECT_EQ(logo->rasterLength, 16);
  EXPECT_TRUE(std::filesystem::exists(Path("TempTe.bmp")));
}

TEST_F(Conversion, AFileThatDoesNotLoadPacksNothing) {
  const std::string path = Write("broken.bmp", Bytes{'B', 'M', 0, 0});
  auto logo = std::make_unique<LogoBitmap>();
  const LogoConversion c = ConvertLogo(*logo, path, 0, 5);
  EXPECT_EQ(c.loaded, 0);
  EXPECT_EQ(c.columnBytes, 0);
  EXPECT_EQ(logo->rasterLength, 0);
  EXPECT_EQ(logo->paddedWidth, 0);
}

TEST_F(Conversion, PreviewNamesTheConvertedFileOrThePathItself) {
  const std::string mono = File("mono.bmp", test::Blank1(8, 8, 0, 0xFFFFFF));
  EXPECT_EQ(MakePreviewFile(mono, 1, 5), mono);
  EXPECT_FALSE(std::filesystem::exists(Path("Temp.bmp")));

  const std::string colour = File("colour.bmp", test::Solid24(8, 8, 0, 0, 0));
  EXPECT_EQ(MakePreviewFile(colour, 0, 5), Path("Temp.bmp"));
  const Bytes temp = Read(Path("Temp.bmp"));
  ASSERT_EQ(temp.size(), 62u + 4 * 8);
  EXPECT_EQ(temp[62], 0xFF);  // black picture, black bits
  EXPECT_FALSE(std::filesystem::exists(Path("TempTe.bmp")));
  EXPECT_EQ(MakePreviewFile(colour, 1, 5), Path("Temp.bmp"));
  EXPECT_TRUE(std::filesystem::exists(Path("TempTe.bmp")));

  // A missing file has no header to probe: it is named unchanged.
  EXPECT_EQ(MakePreviewFile(Path("missing.bmp"), 0, 5), Path("missing.bmp"));
}

TEST_F(Conversion, QueryBitmapSizeReportsDepthHeightAndWidth) {
  std::int32_t bits = -5, height = -5, width = -5;
  EXPECT_EQ(QueryBitmapSize(File("a.bmp", test::Solid24(201, 100, 1, 2, 3)), bits, height, width),
            0);
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(height, 100);
  EXPECT_EQ(width, 201);

  BmpFields topDown = test::Blank1(9, 3, 0, 0xFFFFFF);
  topDown.height = -3;
  EXPECT_EQ(QueryBitmapSize(File("b.bmp", topDown), bits, height, width), 0);
  EXPECT_EQ(bits, 1);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(width, 9);

  // Too large to pack, yet its true size is reported so that the logo list
  // can refuse it.
  EXPECT_EQ(QueryBitmapSize(File("c.bmp", test::Blank1(4096, 400, 0, 0xFFFFFF)), bits, height,
                            width),
            0);
  EXPECT_EQ(width, 4096);

  bits = height = width = -5;
  EXPECT_EQ(QueryBitmapSize(Path("missing.bmp"), bits, height, width), -1);
  EXPECT_EQ(QueryBitmapSize(Write("junk.bmp", Bytes{'B', 'M', 1}), bits, height, width), -1);
  EXPECT_EQ(bits, -5);
  EXPECT_EQ(height, -5);
  EXPECT_EQ(width, -5);
}

}  // namespace
}  // namespace brindle
