// The preview's pictures without a display: BMP files top row first, icons
// through wxImage over the background colour (0x00BBGGRR) or the one given.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/init.h>

#include "image/wx/PictureBitmap.h"
#include "support/Bmp.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using Picture = test::InTempDir;

wxColour At(const PictureBitmap& p, int x, int y) {
  const wxImage image = p.Bitmap().ConvertToImage();
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// A load fills only an empty object; failures leave it empty.
TEST_F(Picture, PicturesLoadTopRowFirstAndIconsOverTheBackground) {
  static wxInitializer init;
  wxInitAllImageHandlers();
  test::BmpFields s = test::Solid24(3, 2, 0, 0, 0);
  s.pixels[12] = 0x40;  // top row, column 0: blue 0x40, red 0x80
  s.pixels[14] = 0x80;
  wxImage icon(16, 16);  // left half opaque blue, right half transparent
  icon.SetRGB(wxRect(0, 0, 16, 16), 0, 0, 255);
  icon.SetAlpha();
  for (int at = 0; at < 256; ++at) icon.SetAlpha(at % 16, at / 16, at % 16 < 8 ? 255 : 0);
  ASSERT_TRUE(icon.SaveFile("logo.ico", wxBITMAP_TYPE_ICO));
  PictureBitmap bmp(0xFFFFFF), red(0x0000FF), green(0x0000FF);
  for (auto [name, bytes] : {std::pair{"a.bmp", "x"}, {"a.jpg", "x"}, {"b.bmp", "BM\3"}}) {
    EXPECT_EQ(bmp.LoadPicture(dir.Write(name, bytes)), 0) << name;
  }
  ASSERT_NE(bmp.LoadPicture(dir.Write("logo.bmp", test::BuildBmp(s))), 0);
  EXPECT_EQ(bmp.LoadPicture("logo.ico"), 0);
  ASSERT_NE(red.LoadPicture("logo.ico") * green.LoadPicture("logo.ico", 0x00FF00), 0);
  EXPECT_EQ(std::tuple(bmp.Bitmap().GetSize(), At(bmp, 0, 0), At(bmp, 0, 1)),
            std::tuple(wxSize(3, 2), wxColour(0x80, 0, 0x40), wxColour(0, 0, 0)));
  EXPECT_EQ(std::tuple(red.Bitmap().GetSize(), At(red, 2, 2), At(red, 13, 2), At(green, 13, 2)),
            std::tuple(wxSize(16, 16), *wxBLUE, *wxRED, *wxGREEN));
}

}  // namespace
}  // namespace brindle
