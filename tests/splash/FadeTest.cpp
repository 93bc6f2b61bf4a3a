// Opacity steps of the fade-in and fade-out, run on a fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "splash/SplashFade.h"
#include "splash/SplashFlags.h"
#include "support/Clocks.h"

namespace brindle {
namespace {

using Ints = std::vector<int>;

TEST(SplashFade, AlphaAtPointsOfTheFade) {
  const struct {
    std::int64_t elapsed;
    int duration;
    bool in;
    int alpha;
  } cases[] = {
      {-5, 500, true, 0},    {0, 500, true, 0},     {100, 500, true, 51},   {250, 500, true, 127},
      {499, 500, true, 254}, {500, 500, true, 255}, {9000, 500, true, 255}, {-5, 200, false, 255},
      {0, 200, false, 255},  {100, 200, false, 128}, {199, 200, false, 2},  {200, 200, false, 0},
      {0, 0, true, 255},     {0, 0, false, 0},      {0, -10, true, 255},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FadeAlpha(c.elapsed, c.duration, c.in), c.alpha)
        << c.elapsed << "/" << c.duration << (c.in ? " in" : " out");
  }
}

// One fade on a fake clock whose painting of a step takes `paintMs`: the
// opacities set, the waits asked for and the time the fade took.
struct FadeRun {
  Ints alphas;
  Ints waits;
  std::int64_t took = 0;
};

FadeRun RunFadeOn(int duration, bool in, int paintMs = 0) {
  test::FakeClock clock;
  clock.now = 1000;
  FadeRun run;
  RunFade(clock, duration, in, [&](int alpha) {
    run.alphas.push_back(alpha);
    clock.now += paintMs;
  });
  run.waits = clock.waits;
  run.took = clock.now - 1000;
  return run;
}

TEST(SplashFade, FadesStepEvery20MsOverTheirDuration) {
  const FadeRun in = RunFadeOn(SplashFadeInMs, true);
  EXPECT_EQ(in.waits, Ints(25, 20));
  EXPECT_EQ(in.took, 500);
  EXPECT_EQ(in.alphas, (Ints{0,   10,  20,  30,  40,  51,  61,  71,  81,  91,  102, 112, 122,
                             132, 142, 153, 163, 173, 183, 193, 204, 214, 224, 234, 244, 255}));
  const FadeRun out = RunFadeOn(SplashFadeOutMs, false);
  EXPECT_EQ(out.waits, Ints(10, 20));
  EXPECT_EQ(out.took, 200);
  EXPECT_EQ(out.alphas, (Ints{255, 230, 204, 179, 153, 128, 102, 77, 51, 26, 0}));
  // A fade of no duration sets the final opacity once.
  EXPECT_EQ(RunFadeOn(0, true).alphas, Ints{255});
  EXPECT_EQ(RunFadeOn(0, false).alphas, Ints{0});
  EXPECT_TRUE(RunFadeOn(0, true).waits.empty());
}

TEST(SplashFade, SlowPaintingShortensTheWaitsNotTheFade) {
  // 15 ms of painting per step leaves 5 ms of each 20 ms step to wait, and
  // the opaque step still comes at 500 ms.
  const FadeRun slow = RunFadeOn(SplashFadeInMs, true, 15);
  EXPECT_EQ(slow.waits, Ints(25, 5));
  EXPECT_EQ(slow.alphas.size(), 26u);
  EXPECT_EQ(slow.alphas.back(), 255);
  EXPECT_EQ(slow.took, 500 + 15);
  // Painting slower than a step: steps at 0, 70, 140 and 210 ms, no waits.
  const FadeRun slower = RunFadeOn(SplashFadeOutMs, false, 70);
  EXPECT_TRUE(slower.waits.empty());
  EXPECT_EQ(slower.alphas, (Ints{255, 166, 77, 0}));
}

}  // namespace
}  // namespace brindle
