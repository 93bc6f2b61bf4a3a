#include <gtest/gtest.h>

#include "image/PictureKind.h"

namespace brindle {
namespace {

TEST(PictureKind, FirstListedTextFoundAfterTheStartDecides) {
  using enum PictureKindValue;
  const struct {
    const char* path;
    PictureKindValue kind;
  } cases[] = {
      {"C/LOGO.BMP.GIF", Bitmap},  // ".BMP" is searched first
      {"/x/a.gif/b.ico", Icon},    // in order, not by position
      {"/x.bmpdir/logo", Bitmap},  // anywhere in the path
      {".bmp", Unsupported},       // position 0 does not count
      {".bmp.gif", Gif},
      {"/x/logo.jpeg", Jpeg}, {"/x/logo.JPG", Jpeg}, {"/x/logo.png", Unsupported},
      {"/x/logo.ico", Icon},  {"/x/Logo.Gif", Gif},  {"", Unsupported},
  };
  for (const auto& c : cases) EXPECT_EQ(PictureKind(c.path), c.kind) << c.path;
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  const struct {
    std::int32_t a, b, c, result;
  } cases[] = {
      {2540, 96, 2540, 96}, {1270, 96, 2540, 48}, {2646, 96, 2540, 100},  // 100.006
      {1, 1, 2, 1},         {-1, 1, 2, -1},       {3, 1, 2, 2},
      {5, 1, -2, -3},       {4, 1, 3, 1},         {5, 1, 3, 2},
      {7, 0, 3, 0},         {1, 1, 0, -1},        {0x7FFFFFFF, 2, 1, -1},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;
}

}  // namespace
}  // namespace brindle
