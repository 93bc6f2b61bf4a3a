// Centring arithmetic of the splash position.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "splash/SplashFlags.h"
#include "splash/SplashGeometry.h"

namespace brindle {
namespace {

TEST(SplashGeometry, CenterOffsetTruncatesTowardZero) {
  struct Case {
    int outer, inner, offset;
  };
  const std::vector<Case> cases = {
      {1280, 644, 318}, {1024, 213, 405}, {1920, 644, 638}, {1080, 213, 433},
      {1023, 213, 405},  // 810 / 2
      {1024, 214, 405},  // odd difference rounds down: 810 / 2
      {645, 644, 0},     {644, 644, 0},    {643, 644, 0},  // -1 / 2 is 0, not -1
      {640, 644, -2},    {600, 644, -22},  {0, 5, -2},     // -5 / 2 is -2
      {INT_MAX, INT_MIN, INT_MAX},         {INT_MIN, INT_MAX, -INT_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CenterOffset(c.outer, c.inner), c.offset) << c.outer << " " << c.inner;
  }
}

TEST(SplashGeometry, PositionFollowsTheCentringFlags) {
  const SplashRect screen{0, 0, 1280, 1024};
  const SplashRect parent{100, 50, 400, 300};
  const SplashPoint kept{7, 9};
  struct Case {
    const char* name;
    std::uint32_t flags;
    SplashRect screen;
    std::optional<SplashRect> parent;
    SplashPoint expected;
  };
  const std::vector<Case> cases = {
      {"start-up flags 15 centre on the screen", 15, screen, parent, {318, 405}},
      {"screen wins over parent", SplashCenterScreen | SplashCenterParent, screen, parent,
       {318, 405}},
      {"client area below a top panel", SplashCenterScreen, {0, 27, 1280, 997}, parent, {318, 419}},
      {"screen narrower than the picture", SplashCenterScreen, {0, 0, 600, 200}, parent,
       {-22, -6}},
      {"centred on the parent", SplashCenterParent, screen, parent, {100 - 122, 50 + 43}},
      {"parent flag without a parent keeps the position", SplashCenterParent, screen,
       std::nullopt, kept},
      {"no centring flag keeps the position", SplashFadeIn | SplashFadeOut, screen, parent, kept},
      {"parent far out saturates", SplashCenterParent, screen,
       SplashRect{INT_MAX, INT_MIN, INT_MAX, 0}, {INT_MAX, INT_MIN}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplashPosition(c.flags, c.screen, c.parent, 644, 213, kept), c.expected) << c.name;
  }
}

TEST(SplashGeometry, FlagValues) {
  // The values callers pass as plain numbers (the start-up passes 15).
  EXPECT_EQ(SplashFadeIn | SplashFadeOut | SplashShadow | SplashCenterScreen, 15u);
  EXPECT_EQ(SplashCenterParent, 0x10u);
  EXPECT_EQ(SplashHideOnInput, 0x20u);
  EXPECT_EQ(SplashTextDefaultFormat, 21u);
}

}  // namespace
}  // namespace brindle
