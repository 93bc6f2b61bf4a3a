#include <gtest/gtest.h>

#include "image/PictureKind.h"

namespace brindle {
namespace {

TEST(PictureKind, FirstListedTextFoundAfterTheStartDecides) {
  struct Case {
    const char* path;
    PictureKindValue kind;
  };
  const Case cases[] = {
      {"C/LOGO.BMP.GIF", PictureKindValue::Bitmap},  // ".BMP" is searched first
      {"/x/logo.jpeg", PictureKindValue::Jpeg},
      {"/x/logo.JPG", PictureKindValue::Jpeg},
      {"/x/logo.png", PictureKindValue::Unsupported},
      {"/x/logo.ico", PictureKindValue::Icon},
      {"/x/Logo.Gif", PictureKindValue::Gif},
      {"/x/a.gif/b.ico", PictureKindValue::Icon},   // in order, not by position
      {"/x.bmpdir/logo", PictureKindValue::Bitmap}, // anywhere in the path
      {".bmp", PictureKindValue::Unsupported},      // position 0 does not count
      {".bmp.gif", PictureKindValue::Gif},
      {"", PictureKindValue::Unsupported},
  };
  for (const Case& c : cases) EXPECT_EQ(PictureKind(c.path), c.kind) << c.path;
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  struct Case {
    std::int32_t a, b, c, result;
  };
  const Case cases[] = {
      {2540, 96, 2540, 96}, {1270, 96, 2540, 48}, {2646, 96, 2540, 100},  // 100.006
      {1, 1, 2, 1},         {-1, 1, 2, -1},       {3, 1, 2, 2},
      {5, 1, -2, -3},       {4, 1, 3, 1},         {5, 1, 3, 2},
      {7, 0, 3, 0},         {1, 1, 0, -1},        {0x7FFFFFFF, 2, 1, -1},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;
  }
}

}  // namespace
}  // namespace brindle
