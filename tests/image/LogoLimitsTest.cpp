// The picture sizes an upload can store.
#include <gtest/gtest.h>

#include "image/LogoLimits.h"

namespace brindle {
namespace {

TEST(LogoSize, DeviceSizeRoundsWidthToEightDotsAndHeightToRows) {
  const struct {
    int width, height, size;
  } cases[] = {{100, 50, 728}, {96, 50, 672}, {100, 48, 624}, {16, 16, 32},
               {8, 8, 8},      {1, 1, 8},     {9, 9, 32},     {512, 48, 3072}};
  for (const auto& c : cases) {
    EXPECT_EQ(LogoDeviceSize(c.width, c.height), c.size) << c.width << "x" << c.height;
  }
}

TEST(LogoSize, PicturesBeyondTheImageBuffersDoNotFit) {
  EXPECT_TRUE(LogoFitsDevice(24, 512, 648));
  EXPECT_FALSE(LogoFitsDevice(24, 513, 100));  // padded to 520 columns
  EXPECT_FALSE(LogoFitsDevice(8, 100, 649));   // padded to 656 rows
  // 1-bit pictures are packed directly: only the raster size counts.
  EXPECT_TRUE(LogoFitsDevice(1, 2048, 768));   // 196,608 bytes exactly
  EXPECT_FALSE(LogoFitsDevice(1, 2048, 769));
  EXPECT_FALSE(LogoFitsDevice(24, 0, 10));
}

}  // namespace
}  // namespace brindle
