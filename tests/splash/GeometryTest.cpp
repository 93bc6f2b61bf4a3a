// Centring arithmetic of the splash position.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "splash/SplashFlags.h"
#include "splash/SplashGeometry.h"

namespace brindle {
namespace {

// Truncation toward zero: an odd difference rounds down, -1 / 2 is 0 and
// -5 / 2 is -2; the extremes of int do not overflow.
TEST(SplashGeometry, CenterOffsetTruncatesTowardZero) {
  const struct {
    int outer, inner, offset;
  } cases[] = {
      {1280, 644, 318}, {1024, 213, 405}, {1920, 644, 638}, {1080, 213, 433}, {1023, 213, 405},
      {1024, 214, 405}, {645, 644, 0},    {644, 644, 0},    {643, 644, 0},    {640, 644, -2},
      {600, 644, -22},  {0, 5, -2},       {INT_MAX, INT_MIN, INT_MAX}, {INT_MIN, INT_MAX, -INT_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CenterOffset(c.outer, c.inner), c.offset) << c.outer << " " << c.inner;
  }
}

TEST(SplashGeometry, PositionFollowsTheCentringFlags) {
  // Callers pass the flags as numbers (the start-up passes 15).
  EXPECT_EQ((std::vector<std::uint32_t>{SplashFadeIn, SplashFadeOut, SplashShadow,
                                        SplashCenterScreen, SplashCenterParent, SplashHideOnInput,
                                        SplashTextDefaultFormat}),
            (std::vector<std::uint32_t>{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 21}));
  const SplashRect screen{0, 0, 1280, 1024};
  const SplashRect parent{100, 50, 400, 300};
  const SplashPoint kept{7, 9};
  const struct {
    const char* name;
    std::uint32_t flags;
    SplashRect screen;
    std::optional<SplashRect> parent;
    SplashPoint expected;
  } cases[] = {
      {"start-up flags 15 centre on the screen", 15, screen, parent, {318, 405}},
      {"screen wins over parent", SplashCenterScreen | SplashCenterParent, screen, parent,
       {318, 405}},
      {"client area below a top panel", SplashCenterScreen, {0, 27, 1280, 997}, parent, {318, 419}},
      {"screen narrower than the picture", SplashCenterScreen, {0, 0, 600, 200}, parent, {-22, -6}},
      {"centred on the parent", SplashCenterParent, screen, parent, {100 - 122, 50 + 43}},
      {"parent flag without a parent keeps the position", SplashCenterParent, screen,
       std::nullopt, kept},
      {"no centring flag keeps the position", SplashFadeIn | SplashFadeOut, screen, parent, kept},
      {"parent far out saturates", SplashCenterParent, screen,
       SplashRect{INT_MAX, INT_MIN, INT_MAX, 0}, {INT_MAX, INT_MIN}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplashPosition(c.flags, c.screen, c.parent, 644, 213, kept), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace brindle
