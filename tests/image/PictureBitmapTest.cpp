// PictureBitmap and its loaders, without a display: BMP through Brindle's
// reader, ICO, JPEG and GIF through wxImage, sizes by MulDiv.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/init.h>

#include "support/Bmp.h"
#include "TempDir.h"
#include "image/wx/PictureBitmap.h"

namespace brindle {
namespace {

using test::BuildBmp;
using test::Solid24;

class PictureTest : public test::TempDirTest {
 protected:
  static void SetUpTestSuite() {
    static wxInitializer init;
    ASSERT_TRUE(init.IsOk());
    wxInitAllImageHandlers();
  }

  static wxColour PixelOf(const PictureBitmap& p, int x, int y) {
    const wxImage image = p.Bitmap().ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
  }
};

TEST_F(PictureTest, BitmapFilesLoadAtTheirOwnSizeTopRowFirst) {
  test::BmpFields s = Solid24(3, 2, 0, 0, 0);
  s.pixels[12] = 0x40;  // stored row 1 (the top row), column 0: blue 0x40
  s.pixels[14] = 0x80;  // red 0x80
  PictureBitmap picture(0xFFFFFF);
  ASSERT_NE(picture.LoadPicture(Write("logo.bmp", BuildBmp(s))), 0);
  EXPECT_EQ(picture.Bitmap().GetSize(), wxSize(3, 2));
  EXPECT_EQ(PixelOf(picture, 0, 0), wxColour(0x80, 0, 0x40));
  EXPECT_EQ(PixelOf(picture, 0, 1), wxColour(0, 0, 0));
}

TEST_F(PictureTest, LoadFillsOnlyAnEmptyObjectAndFailuresLeaveItEmpty) {
  PictureBitmap picture(0xFFFFFF);
  EXPECT_EQ(picture.LoadPicture(Path("missing.bmp")), 0);
  EXPECT_EQ(picture.LoadPicture(Write("logo.png", {1, 2, 3})), 0);
  EXPECT_EQ(picture.LoadPicture(Write("bad.jpg", {1, 2, 3})), 0);
  EXPECT_EQ(picture.LoadPicture(Write("bad.bmp", {'B', 'M', 3})), 0);
  EXPECT_FALSE(picture.HasBitmap());
  ASSERT_NE(picture.LoadPicture(Write("a.bmp", BuildBmp(Solid24(2, 2, 0, 0, 0)))), 0);
  EXPECT_EQ(picture.LoadPicture(Write("b.bmp", BuildBmp(Solid24(5, 5, 0, 0, 0)))), 0);
  EXPECT_EQ(picture.Bitmap().GetWidth(), 2);
}

// An icon whose left half is opaque blue and right half fully transparent.
TEST_F(PictureTest, DecodedPicturesRenderOverTheBackgroundColour) {
  wxImage image(16, 16);
  image.SetRGB(wxRect(0, 0, 16, 16), 0, 0, 255);
  image.SetAlpha();
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) image.SetAlpha(x, y, x < 8 ? 255 : 0);
  }
  ASSERT_TRUE(image.SaveFile(Path("logo.ico"), wxBITMAP_TYPE_ICO));
  PictureBitmap red(0x0000FF);  // 0x00BBGGRR
  ASSERT_NE(red.LoadPicture(Path("logo.ico")), 0);
  EXPECT_EQ(red.Bitmap().GetWidth(), 16);
  EXPECT_EQ(PixelOf(red, 2, 2), wxColour(0, 0, 255));
  EXPECT_EQ(PixelOf(red, 13, 2), wxColour(255, 0, 0));
  // An explicit colour wins over the background colour.
  PictureBitmap green(0x0000FF);
  ASSERT_NE(green.LoadPicture(Path("logo.ico"), 0x00FF00), 0);
  EXPECT_EQ(PixelOf(green, 13, 2), wxColour(0, 255, 0));
}

TEST_F(PictureTest, JpegAndGifFilesLoad) {
  wxImage image(20, 10);
  image.SetRGB(wxRect(0, 0, 20, 10), 200, 30, 30);
  ASSERT_TRUE(image.SaveFile(Path("photo.jpeg"), wxBITMAP_TYPE_JPEG));
  PictureBitmap photo(0xFFFFFF);
  ASSERT_NE(photo.LoadPicture(Path("photo.jpeg")), 0);
  EXPECT_EQ(photo.Bitmap().GetSize(), wxSize(20, 10));
  EXPECT_NEAR(PixelOf(photo, 10, 5).Red(), 200, 8);
  EXPECT_NEAR(PixelOf(photo, 10, 5).Green(), 30, 8);
  // A one-pixel GIF whose only colour-table entry in use is red.
  const test::Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
                           0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
  PictureBitmap dot(0xFFFFFF);
  ASSERT_NE(dot.LoadPicture(Write("dot.GIF", gif)), 0);
  EXPECT_EQ(dot.Bitmap().GetWidth(), 1);
  EXPECT_EQ(PixelOf(dot, 0, 0), wxColour(255, 0, 0));
}

TEST_F(PictureTest, RenderSizeIsMulDivOfTheSizeInHundredthsOfAMillimetre) {
  DecodedPicture picture;
  picture.image = wxImage(4, 4);
  struct Case {
    int w, h, dpi, cx, cy;
  };
  for (const Case& c : {Case{2540, 1270, 96, 96, 48}, Case{2646, 2540, 96, 100, 96},
                        Case{2540, 2540, 120, 120, 120}}) {
    picture.himetricWidth = c.w;
    picture.himetricHeight = c.h;
    const wxBitmap bitmap = RenderPicture(picture, 0xFFFFFF, c.dpi, c.dpi);
    ASSERT_TRUE(bitmap.IsOk());
    EXPECT_EQ(bitmap.GetSize(), wxSize(c.cx, c.cy));
  }
  picture.himetricWidth = 10;  // rounds to 0 pixels
  EXPECT_FALSE(RenderPicture(picture, 0xFFFFFF, 96, 96).IsOk());
}

TEST_F(PictureTest, CopyFromMakesAnIndependentCopyOrChangesNothing) {
  PictureBitmap source(0xFFFFFF), display(0xFFFFFF), empty(0xFFFFFF), moved(0xFFFFFF);
  display.CopyFrom(source);
  EXPECT_FALSE(display.HasBitmap());
  ASSERT_NE(source.LoadPicture(Write("a.bmp", BuildBmp(Solid24(4, 3, 0, 255, 0)))), 0);
  display.CopyFrom(source);
  ASSERT_TRUE(display.HasBitmap());
  EXPECT_EQ(display.Bitmap().GetWidth(), 4);
  EXPECT_EQ(PixelOf(display, 1, 1), wxColour(0, 255, 0));
  source.Release();
  display.CopyFrom(empty);
  EXPECT_TRUE(display.HasBitmap());
  moved.TakeFrom(display);
  EXPECT_TRUE(moved.HasBitmap());
  EXPECT_FALSE(display.HasBitmap());
}

}  // namespace
}  // namespace brindle
