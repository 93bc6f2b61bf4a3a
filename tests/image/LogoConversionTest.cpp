// The probes, the per-file conversion used by uploads and the preview, and
// the size query of the logo list.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <tuple>

#include "support/Bmp.h"
#include "TempDir.h"
#include "image/LogoConversion.h"
#include "image/TempFiles.h"

namespace brindle {
namespace {

using test::BmpFields;
using test::BuildBmp;
using test::Bytes;

class Conversion : public test::TempDirTest {
 protected:
  std::string File(const std::string& name, const BmpFields& s) { return Write(name, BuildBmp(s)); }

  // What an upload learns of a file: needsConversion, loaded, paletteWhite,
  // the packing's result, and the padded size and raster length. One object
  // serves every file in turn, as in an upload.
  std::tuple<int, int, int, int, int, int, int> Converted(const std::string& path, int halftoneMode) {
    const LogoConversion c = ConvertLogo(*logo_, path, halftoneMode, 5);
    return {c.needsConversion, c.loaded,           c.paletteWhite,   c.columnBytes,
            logo_->paddedWidth, logo_->paddedHeight, logo_->rasterLength};
  }

  std::unique_ptr<LogoBitmap> logo_ = std::make_unique<LogoBitmap>();
};

BmpFields WithHeader(BmpFields s, std::uint32_t headerSize) {
  s.headerSize = headerSize;
  return s;
}

// needsConversion is 1 for every depth but 1 bit; paletteWhite tells whether
// colour-table entry 0 (without a table, the first stored pixel) is white,
// for every header kind. Missing bytes count as 0.
TEST_F(Conversion, ProbesAnswerForOneEightAndTwentyFourBitFiles) {
  const BmpFields white24 = test::Solid24(3, 2, 255, 255, 255);
  BmpFields grey24 = white24;
  grey24.pixels[2] = 254;  // bottom-left pixel's red
  const BmpFields pal8{.bitsPerPixel = 8, .palette = {0xFFFFFF, 0}, .pixels = {0, 0, 0, 0}};
  const BmpFields white1 = test::Blank1(8, 1, 0xFFFFFF, 0), black1 = test::Blank1(8, 1, 0, 0xFFFFFF);
  BmpFields white24pal = white24;
  white24pal.palette = {0, 0};
  const BmpFields fields32{.bitsPerPixel = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF},
                           .pixels = {255, 255, 255, 0}};
  Bytes fake = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54};  // data offset 54, the rest cut off
  fake.resize(30, 0);
  Bytes almostWhite = BuildBmp(white24);
  almostWhite.resize(56);  // bytes 54 and 55 are FF, byte 56 is missing
  const struct {
    const char* what;
    Bytes file;
    int needsConversion, paletteWhite;
  } cases[] = {
      {"24-bit, white bottom-left", BuildBmp(white24), 1, 1},
      {"24-bit, other bottom-left", BuildBmp(grey24), 1, 0},
      {"24-bit, V5 header", BuildBmp(WithHeader(white24, 124)), 1, 1},
      {"24-bit with a colour table", BuildBmp(white24pal), 1, 0},
      {"32-bit bit fields", BuildBmp(fields32), 1, 0},
      {"1-bit, entry 0 white", BuildBmp(white1), 0, 1},
      {"1-bit, entry 0 black", BuildBmp(black1), 0, 0},
      {"1-bit, V5 header, entry 0 white", BuildBmp(WithHeader(white1, 124)), 0, 1},
      {"1-bit, V4 header, entry 0 black", BuildBmp(WithHeader(black1, 108)), 0, 0},
      {"1-bit, core header, entry 0 white", BuildBmp(WithHeader(white1, 12)), 0, 1},
      {"4-bit", BuildBmp({.bitsPerPixel = 4, .palette = {0xFFFFFF, 0}, .pixels = {0, 0, 0, 0}}), 1, 1},
      {"8-bit", BuildBmp(pal8), 1, 1},
      {"8-bit, V5 header", BuildBmp(WithHeader(pal8, 124)), 1, 1},
      {"8-bit, core header", BuildBmp(WithHeader(pal8, 12)), 1, 1},
      {"30 bytes", fake, 1, 0},
      {"cut at 56 bytes", almostWhite, 1, 0},
      {"14 bytes with offset 54", Bytes(fake.begin(), fake.begin() + 14), 1, 0},
      {"13 bytes", Bytes(fake.begin(), fake.begin() + 13), 0, 0},
      {"not BM", Bytes{'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, 0, 0},
  };
  LogoBitmap logo;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write("probe.bmp", c.file);
    logo.rasterLength = 7;
    EXPECT_EQ(logo.ProbeHeader(path), c.needsConversion);
    EXPECT_EQ(logo.rasterLength, 0);
    logo.rasterLength = 7;
    EXPECT_EQ(logo.ProbePalette(path), c.paletteWhite);
    EXPECT_EQ(logo.rasterLength, 0);
  }
  EXPECT_EQ(logo.ProbeHeader(Path("missing.bmp")), 0);
  EXPECT_EQ(logo.ProbePalette(Path("missing.bmp")), 0);
  EXPECT_EQ(logo.ProbeHeader(dir_.string()), 0);
}

// A 1-bit logo of 200 x 100 dots packs 25 x 13 x 8 = 2,600 bytes without
// conversion; only the low 16 bits of the halftone mode choose error
// diffusion, the packing that writes "TempTe.bmp".
TEST_F(Conversion, OneBitLogosPackDirectlyAndTheModeChoosesTheConversion) {
  EXPECT_EQ(Converted(File("mono.bmp", test::Blank1(200, 100, 0, 0xFFFFFF)), 1),
            std::tuple(0, 1, 0, 13, 200, 104, 2600));
  EXPECT_FALSE(Exists("TempTe.bmp"));
  const std::string colour = File("colour.bmp", test::Solid24(16, 8, 0, 0, 0));
  EXPECT_EQ(Converted(colour, 0x10000), std::tuple(1, 1, 0, 1, 16, 8, 16));
  EXPECT_FALSE(Exists("TempTe.bmp"));
  EXPECT_EQ(Converted(colour, 1), std::tuple(1, 1, 0, 1, 16, 8, 16));
  EXPECT_TRUE(Exists("TempTe.bmp"));
  EXPECT_EQ(Converted(Write("broken.bmp", Bytes{'B', 'M', 0, 0}), 0), std::tuple(0, 0, 0, 0, 0, 0, 0));
}

TEST_F(Conversion, PreviewNamesTheConvertedFileOrThePathItself) {
  const std::string mono = File("mono.bmp", test::Blank1(8, 8, 0, 0xFFFFFF));
  EXPECT_EQ(MakePreviewFile(mono, 1, 5), mono);
  EXPECT_FALSE(Exists("Temp.bmp"));
  const std::string colour = File("colour.bmp", test::Solid24(8, 8, 0, 0, 0));
  EXPECT_EQ(MakePreviewFile(colour, 0, 5), Path("Temp.bmp"));
  EXPECT_EQ(Read("Temp.bmp").size(), 62u + 4 * 8);
  EXPECT_FALSE(Exists("TempTe.bmp"));
  EXPECT_EQ(MakePreviewFile(colour, 1, 5), Path("Temp.bmp"));
  EXPECT_TRUE(Exists("TempTe.bmp"));
  // A missing file has no header to probe: it is named unchanged.
  EXPECT_EQ(MakePreviewFile(Path("missing.bmp"), 0, 5), Path("missing.bmp"));
}

// The pictures go to the folder given; a picture that could not be written
// there is never named, so an older Temp.bmp is not shown in its place.
TEST_F(Conversion, PreviewWritesIntoTheGivenFolderAndNamesNothingItCouldNotWrite) {
  const std::string colour = File("colour.bmp", test::Solid24(8, 8, 0, 0, 0));
  ASSERT_EQ(MakePreviewFile(colour, 0, 5), Path("Temp.bmp"));
  std::filesystem::create_directory(Path("pictures"));
  for (const auto& [folder, named] : {std::pair{Path("pictures"), Path("pictures/Temp.bmp")},
                                      std::pair{Path("missing"), std::string()}}) {
    SetTempPictureDir(folder);
    EXPECT_EQ(MakePreviewFile(colour, 1, 5), named);
  }
  SetTempPictureDir("");
  EXPECT_TRUE(Exists("pictures/TempTe.bmp"));
  // Pixels at offset 54, so it needs conversion, but no picture loads.
  const Bytes damaged = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
  EXPECT_EQ(MakePreviewFile(Write("damaged.bmp", damaged), 0, 5), "");
}

// Pictures too large to pack still report their true size so that the logo
// list can refuse them; failures leave the outputs untouched.
TEST_F(Conversion, QueryBitmapSizeReportsDepthHeightAndWidth) {
  BmpFields topDown = test::Blank1(9, 3, 0, 0xFFFFFF);
  topDown.height = -3;
  auto query = [](const std::string& path) {
    std::int32_t bits = -5, height = -5, width = -5;
    const int result = QueryBitmapSize(path, bits, height, width);
    return std::tuple(result, bits, height, width);
  };
  EXPECT_EQ(query(File("a.bmp", test::Solid24(201, 100, 1, 2, 3))), std::tuple(0, 24, 100, 201));
  EXPECT_EQ(query(File("b.bmp", topDown)), std::tuple(0, 1, 3, 9));
  EXPECT_EQ(query(File("c.bmp", test::Blank1(4096, 400, 0, 0xFFFFFF))), std::tuple(0, 1, 400, 4096));
  EXPECT_EQ(query(Path("missing.bmp")), std::tuple(-1, -5, -5, -5));
  // A FIFO is refused at once instead of waiting for a writer.
  ASSERT_EQ(::mkfifo(Path("fifo.bmp").c_str(), 0600), 0);
  EXPECT_EQ(query(Path("fifo.bmp")), std::tuple(-1, -5, -5, -5));
  EXPECT_EQ(MakePreviewFile(Path("fifo.bmp"), 0, 5), Path("fifo.bmp"));
  EXPECT_EQ(query(Write("junk.bmp", Bytes{'B', 'M', 1})), std::tuple(-1, -5, -5, -5));
}

}  // namespace
}  // namespace brindle
