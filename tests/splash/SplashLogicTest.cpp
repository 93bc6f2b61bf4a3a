// The splash's display-free rules.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>

#include "splash/RegionRuns.h"
#include "splash/SplashFade.h"
#include "splash/SplashFlags.h"
#include "splash/SplashGeometry.h"
#include "splash/SplashResource.h"
#include "splash/SplashText.h"
#include "support/Clocks.h"

namespace brindle {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Ints = std::vector<int>;
using Runs = std::vector<RowRun>;
constexpr Rgb kKey{255, 0, 255};

// Halves truncate toward zero without overflow; flags 15 (the start-up's)
// centre on the screen's client area, else on a parent, else keep the place.
TEST(SplashLogic, Centring) {
  const SplashRect screen{0, 27, 1280, 997}, parent{100, 50, 401, 300};
  const struct { std::uint32_t flags; std::optional<SplashRect> parent; SplashPoint at; } cases[] =
      {{15, parent, {318, 419}},       {SplashCenterParent, parent, {-21, 93}},
       {SplashCenterParent, {}, {7, 9}}, {SplashFadeIn | SplashFadeOut, parent, {7, 9}},
       {SplashCenterParent, SplashRect{INT_MAX, INT_MIN, INT_MAX, 0}, {INT_MAX, INT_MIN}}};
  for (const auto& c : cases) {
    EXPECT_EQ(SplashPosition(c.flags, screen, c.parent, 644, 213, {7, 9}), c.at) << c.flags;
  }
  EXPECT_EQ(CenterOffset(INT_MAX, INT_MIN), INT_MAX);
}

struct Faded {
  Ints alphas;
  test::FakeClock clock;  // the waits; painting a step takes `paint` ms
};

Faded Fade(int duration, bool in, int paint) {
  Faded f;
  RunFade(f.clock, duration, in, [&](int alpha) {
    f.alphas.push_back(alpha);
    f.clock.now += paint;
  });
  return f;
}

// A step every 20 ms with the painting time taken off the wait: however slow
// the painting, the opacity moves one way, ends final and the last step is on time.
TEST(SplashLogic, FadeSteps) {
  const Faded out = Fade(200, false, 0);
  EXPECT_EQ(out.alphas, (Ints{255, 230, 204, 179, 153, 128, 102, 77, 51, 26, 0}));
  EXPECT_EQ(out.clock.waits, Ints(10, 20));
  EXPECT_EQ(Fade(500, true, 15).clock.waits, Ints(25, 5));
  EXPECT_EQ(Fade(200, false, 70).alphas, (Ints{255, 166, 77, 0}));
  for (int duration : {0, 1, 19, 21, 500}) {
    for (int paint : {0, 7, 20, 70}) {
      for (bool in : {true, false}) {
        const Faded f = Fade(duration, in, paint);
        SCOPED_TRACE(std::to_string(duration) + " " + std::to_string(paint));
        EXPECT_TRUE(std::is_sorted(f.alphas.begin(), f.alphas.end(),
                                   [in](int a, int b) { return in ? a < b : a > b; }));
        EXPECT_EQ(f.alphas.back(), in ? 255 : 0);
        const std::int64_t last = f.clock.now - paint;  // when the last step began
        EXPECT_TRUE(last >= duration && last < duration + std::max(paint, 20));
        for (int w : f.clock.waits) EXPECT_LE(w, 20 - paint);
      }
    }
  }
}

// Row runs: '.' is the key colour, '#' and 'n' (a near-key 255/0/254) are outline.
Runs RunsOf(const std::vector<std::string>& rows) {
  RgbImage image{int(rows[0].size()), int(rows.size()), {}};
  for (const std::string& row : rows) {
    for (char c : row) {
      const Rgb p = c == '.' ? kKey : c == 'n' ? Rgb{255, 0, 254} : Rgb{20, 30, 40};
      image.pixels.insert(image.pixels.end(), {p.r, p.g, p.b});
    }
  }
  return RegionRunsFromPixels(image.View(), kKey);
}

TEST(SplashLogic, RegionRunsOfHandDrawnPictures) {
  EXPECT_EQ(RunsOf({"...#", "#..."}), (Runs{{3, 0, 1}, {0, 1, 1}}));
  EXPECT_EQ(RunsOf({"#.n.##"}), (Runs{{0, 0, 1}, {2, 0, 1}, {4, 0, 2}}));
  EXPECT_EQ(RunsOf({"..", ".."}), Runs{});
  // Bytes after a row's last pixel are not part of it.
  const std::uint8_t data[] = {255, 0, 255, 1, 2, 3, 9, 9, 9, 4, 5, 6, 255, 0, 255, 255, 0, 255};
  EXPECT_EQ(RegionRunsFromPixels(RgbView{data, 2, 2, 9}, kKey), (Runs{{1, 0, 1}, {0, 1, 1}}));
  EXPECT_EQ(RegionRunsFromPixels(RgbView{nullptr, 4, 4, 12}, kKey), Runs{});
}

// A component of 0xFFFF (-1) means no key; otherwise its low byte counts.
TEST(SplashLogic, KeyColourFromComponents) {
  for (int at = 0; at < 3; ++at) {
    int c[3] = {255, 0, 255};
    c[at] = at == 1 ? 0xFFFF : -1;
    EXPECT_EQ(KeyColourFromComponents(c[0], c[1], c[2]), std::nullopt) << at;
  }
  EXPECT_EQ(KeyColourFromComponents(0x1FF, 0x100, 0xFFFE), (Rgb{0xFF, 0x00, 0xFE}));
}

// A 2 x 2 24-bit BMP by hand, bottom row first, rows padded to 8 bytes: top
// row red, green; bottom row blue, white. A cut-short file gives nothing.
TEST(SplashLogic, DecodesBmpRowsTopRowFirst) {
  const Bytes bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
               0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,
               0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  const std::optional<RgbImage> up = DecodeBmpPicture(bmp.data(), bmp.size());
  ASSERT_TRUE(up);
  EXPECT_EQ(std::make_pair(up->width, up->height), std::make_pair(2, 2));
  EXPECT_EQ(up->pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  EXPECT_FALSE(DecodeBmpPicture(bmp.data(), 60));
}

// The compiled-in picture is the committed BMP.
TEST(SplashLogic, CompiledInPictureIsTheCommittedBmp) {
  std::ifstream in(BRINDLE_SOURCE_DIR "/res/splash/splash134.bmp", std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto embedded = BitmapResourceBytes(SplashBitmapId);
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), file.begin(), file.end()));
}

int Measure(const std::string& s) { return int(s.size()) * 10; }  // 10 px a character

// Lines break at "\n", and with the word-break flag at the last space that
// fits (exactly fitting is fitting); format 21 centres each line and the block.
TEST(SplashLogic, TextWrapsAndIsPlaced) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(WrapSplashText("one two   three\n\nabcdefghijkl x", 70, SplashTextWordBreak, Measure),
            (Strings{"one two", "three", "", "abcdefghijkl", "x"}));
  EXPECT_EQ(WrapSplashText("b c", 20, 0, Measure), Strings{"b c"});
  using Lines = std::vector<SplashTextLine>;
  EXPECT_EQ(LayoutSplashText("abcd\nef", {0, 0, 644, 213}, SplashTextDefaultFormat, 14, Measure),
            (Lines{{"abcd", 302, 92}, {"ef", 312, 106}}));
  EXPECT_EQ(LayoutSplashText("", {0, 0, 9, 9}, SplashTextDefaultFormat, 14, Measure), Lines{});
}

}  // namespace
}  // namespace brindle
