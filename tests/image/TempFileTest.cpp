// The temporary monochrome files "Temp.bmp" and "TempTe.bmp": their exact
// bytes, row lengths, results and paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/Bmp.h"
#include "TempDir.h"
#include "image/LogoBitmap.h"
#include "image/TempFiles.h"

namespace brindle {
namespace {

using test::Bytes;
using test::LoadLogo;

class TempFile : public test::TempDirTest {};

// A 10 x 2 picture: bottom row white, top row black at column 0 only.
TEST_F(TempFile, PreviewFileHasTheExactLayout) {
  test::BmpFields s = test::Solid24(10, 2, 255, 255, 255);
  s.pixels[32] = s.pixels[33] = s.pixels[34] = 0;  // stored row 1, column 0
  auto logo = LoadLogo(s);
  ASSERT_EQ(logo->PackThreshold(5), 1);
  ASSERT_EQ(logo->WritePreviewFile(), 1);
  const Bytes expected = {
      0x42, 0x4D, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // BM, size 70
      0x3E, 0x00, 0x00, 0x00,                                      // pixels at 62
      0x28, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00,              // 40, width 10
      0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,              // height 2, 1, 1
      0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,              // no compression, 8
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // resolutions 0
      0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 2 colours, 0
      0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,              // white, black
      0x00, 0x00, 0x00, 0x00,                                      // bottom row
      0x80, 0x00, 0x00, 0x00,                                      // top row
  };
  EXPECT_EQ(Read("Temp.bmp"), expected);
}

// The adjusted file cuts the brightness-adjusted gray at 128. At level 0
// the indices gain 31: 97 becomes 128 (white), 96 becomes 127 (black).
TEST_F(TempFile, AdjustedFileCutsTheAdjustedGrayAt128) {
  auto logo = LoadLogo(test::Indexed8({127, 128, 0, 255, 97, 96, 200, 10, 50}));
  ASSERT_EQ(logo->PackDiffused(0), 1);
  const Bytes file = Read("TempTe.bmp");
  ASSERT_EQ(file.size(), 66u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 6), (Bytes{0x42, 0x4D, 0x42, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 26), (Bytes{9, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x25, 0x80, 0x00, 0x00}));
}

// All black: every pixel bit set, the bits after the row zero.
TEST_F(TempFile, RowsArePaddedToFourBytes) {
  for (auto [width, rowLength] : {std::pair{32, 4}, std::pair{33, 8}, std::pair{1, 4}, std::pair{65, 12}}) {
    SCOPED_TRACE(width);
    auto logo = LoadLogo(test::Solid24(width, 3, 0, 0, 0));
    ASSERT_EQ(logo->PackThreshold(5), 1);
    ASSERT_EQ(logo->WritePreviewFile(), 1);
    const Bytes file = Read("Temp.bmp");
    ASSERT_EQ(file.size(), 62u + rowLength * 3);
    EXPECT_EQ(file[2] | (file[3] << 8), 62 + rowLength * 3);
    EXPECT_EQ(file[34] | (file[35] << 8), rowLength * 3);
    EXPECT_EQ(file[62], width >= 8 ? 0xFF : 0x80);
    EXPECT_EQ(file[62 + rowLength - 1], width % 32 == 0 ? 0xFF : 0x00);
  }
}

// Each file replaces its name as a whole: a symbolic link of that name is
// replaced and its target never written. A name that cannot be replaced
// gives 0.
TEST_F(TempFile, FilesReplaceTheirNameAndNeverWriteThroughALink) {
  auto logo = LoadLogo(test::Solid24(8, 8, 0, 0, 0));
  std::filesystem::create_directory(Path("Temp.bmp"));
  EXPECT_EQ(logo->WritePreviewFile(), 0);
  Write("target.bmp", {1, 2, 3});
  ASSERT_EQ(::symlink(Path("target.bmp").c_str(), Path("TempTe.bmp").c_str()), 0);
  EXPECT_EQ(logo->WriteAdjustedFile(), 1);
  EXPECT_EQ(Read("target.bmp"), (Bytes{1, 2, 3}));
  EXPECT_FALSE(std::filesystem::is_symlink(Path("TempTe.bmp")));
  EXPECT_EQ(Read("TempTe.bmp").size(), 62u + 4 * 8);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3);
}

TEST_F(TempFile, PathsHaveNoLengthLimit) {
  std::filesystem::path deep = dir_;
  for (char c = 'a'; c < 'g'; ++c) deep /= std::string(40, c);
  std::filesystem::create_directories(deep);
  std::filesystem::current_path(deep);
  EXPECT_EQ(TempFilePath(kPreviewFileName), deep.string() + "/Temp.bmp");
  auto logo = LoadLogo(test::Solid24(8, 8, 0, 0, 0));
  ASSERT_EQ(logo->PackDiffused(5), 1);
  EXPECT_EQ(logo->WritePreviewFile(), 1);
  EXPECT_TRUE(std::filesystem::exists(deep / "Temp.bmp"));
  EXPECT_TRUE(std::filesystem::exists(deep / "TempTe.bmp"));
}

}  // namespace
}  // namespace brindle
