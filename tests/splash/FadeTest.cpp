// Opacity steps of the fade-in and fade-out, run on a fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "splash/SplashFade.h"
#include "splash/SplashFlags.h"
#include "support/FakeClock.h"

namespace brindle {
namespace {

TEST(SplashFade, AlphaAtPointsOfTheFade) {
  struct Case {
    std::int64_t elapsed;
    int duration;
    bool in;
    int alpha;
  };
  const std::vector<Case> cases = {
      {-5, 500, true, 0},   {0, 500, true, 0},     {100, 500, true, 51}, {250, 500, true, 127},
      {499, 500, true, 254}, {500, 500, true, 255}, {9000, 500, true, 255},
      {-5, 200, false, 255}, {0, 200, false, 255},  {100, 200, false, 128}, {199, 200, false, 2},
      {200, 200, false, 0},  {0, 0, true, 255},     {0, 0, false, 0},       {0, -10, true, 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FadeAlpha(c.elapsed, c.duration, c.in), c.alpha)
        << c.elapsed << "/" << c.duration << (c.in ? " in" : " out");
  }
}

struct FadeRun {
  std::vector<int> alphas;
  std::vector<int> waits;
  std::int64_t took = 0;
};

FadeRun RunFadeOn(int duration, bool in, int paintMs = 0) {
  test::FakeClock clock;
  clock.now = 1000;
  FadeRun run;
  RunFade(clock, duration, in, [&](int alpha) {
    run.alphas.push_back(alpha);
    clock.now += paintMs;  // time the toolkit spends painting the step
  });
  run.waits = clock.waits;
  run.took = clock.now - 1000;
  return run;
}

TEST(SplashFade, FadeInStepsFromTransparentToOpaqueOverHalfASecond) {
  const FadeRun run = RunFadeOn(SplashFadeInMs, true);
  EXPECT_EQ(run.waits, std::vector<int>(25, 20));
  EXPECT_EQ(run.took, 500);
  ASSERT_EQ(run.alphas.size(), 26u);
  EXPECT_EQ(run.alphas.front(), 0);
  EXPECT_EQ(run.alphas[1], 10);  // 20 ms of 500
  EXPECT_EQ(run.alphas[13], 132);
  EXPECT_EQ(run.alphas.back(), 255);
  EXPECT_TRUE(std::is_sorted(run.alphas.begin(), run.alphas.end()));
  EXPECT_TRUE(std::adjacent_find(run.alphas.begin(), run.alphas.end()) == run.alphas.end())
      << "every step changes the opacity";
}

TEST(SplashFade, FadeOutStepsFromOpaqueToTransparentOverAFifthOfASecond) {
  const FadeRun run = RunFadeOn(SplashFadeOutMs, false);
  EXPECT_EQ(run.waits, std::vector<int>(10, 20));
  EXPECT_EQ(run.took, 200);
  const std::vector<int> expected = {255, 230, 204, 179, 153, 128, 102, 77, 51, 26, 0};
  EXPECT_EQ(run.alphas, expected);
}

TEST(SplashFade, SlowPaintingShortensTheWaitsNotTheFade) {
  // 15 ms of painting per step leaves 5 ms of each 20 ms step to wait, and
  // the opaque step still comes at 500 ms.
  const FadeRun slow = RunFadeOn(SplashFadeInMs, true, 15);
  EXPECT_EQ(slow.waits, std::vector<int>(25, 5));
  EXPECT_EQ(slow.alphas.size(), 26u);
  EXPECT_EQ(slow.alphas.back(), 255);
  EXPECT_EQ(slow.took, 500 + 15);
  // Painting slower than a step: steps at 0, 70, 140 and 210 ms, no waits.
  const FadeRun slower = RunFadeOn(SplashFadeOutMs, false, 70);
  EXPECT_TRUE(slower.waits.empty());
  const std::vector<int> expected = {255, 166, 77, 0};
  EXPECT_EQ(slower.alphas, expected);
}

TEST(SplashFade, ZeroDurationSetsTheFinalOpacityOnce) {
  const FadeRun in = RunFadeOn(0, true);
  EXPECT_EQ(in.alphas, std::vector<int>{255});
  EXPECT_TRUE(in.waits.empty());
  const FadeRun out = RunFadeOn(0, false);
  EXPECT_EQ(out.alphas, std::vector<int>{0});
}

}  // namespace
}  // namespace brindle
