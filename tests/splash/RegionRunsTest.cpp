// The outline of a keyed picture as row runs, checked on small hand-drawn
// pictures and, as a property, on random ones.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "splash/RegionRuns.h"

namespace brindle {
namespace {

constexpr Rgb kMagenta{255, 0, 255};

// '.' is the key colour; '#', 'o' and 'n' (a near-magenta, 255/0/254) are
// pixels of the outline.
RgbImage Picture(const std::vector<std::string>& rows) {
  RgbImage image{rows.empty() ? 0 : int(rows[0].size()), int(rows.size()), {}};
  for (const std::string& row : rows) {
    for (char c : row) {
      const Rgb p = c == '.'   ? kMagenta
                    : c == 'n' ? Rgb{255, 0, 254}
                    : c == 'o' ? Rgb{255, 255, 255}
                               : Rgb{20, 30, 40};
      image.pixels.insert(image.pixels.end(), {p.r, p.g, p.b});
    }
  }
  return image;
}

TEST(RegionRuns, RowRunsOfHandDrawnPictures) {
  const struct {
    const char* name;
    std::vector<std::string> rows;
    std::vector<RowRun> runs;
  } cases[] = {
      {"key pixels at both ends of a row", {".##."}, {{1, 0, 2}}},
      {"opaque pixel at the end of a row stops there", {"..##", "##.."}, {{2, 0, 2}, {0, 1, 2}}},
      {"opaque last and first pixels of adjacent rows", {"...#", "#..."}, {{3, 0, 1}, {0, 1, 1}}},
      {"several runs in a row", {"#.#.##"}, {{0, 0, 1}, {2, 0, 1}, {4, 0, 2}}},
      {"colours other than the key all count", {"#o.n#"}, {{0, 0, 2}, {3, 0, 2}}},
      {"a hole inside a shape", {"###", "#.#", "###"},
       {{0, 0, 3}, {0, 1, 1}, {2, 1, 1}, {0, 2, 3}}},
      {"a row of key colour only gives nothing", {"##", "..", "##"}, {{0, 0, 2}, {0, 2, 2}}},
      {"single opaque pixel", {"#"}, {{0, 0, 1}}},
      {"single key pixel", {"."}, {}},
      {"picture without key pixels is the full rectangle", {"#o#", "on#"}, {{0, 0, 3}, {0, 1, 3}}},
      {"picture of key colour only is empty", {"...", "...", "..."}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegionRunsFromPixels(Picture(c.rows).View(), kMagenta), c.runs) << c.name;
  }
}

// Bytes after a row's last pixel are not part of the picture; views without
// pixels give no runs.
TEST(RegionRuns, RowPaddingAndEmptyViews) {
  // Two rows of two pixels, each followed by three bytes that are not part of
  // the picture: opaque after the first row, key after the second.
  const std::uint8_t data[] = {255, 0, 255, 1, 2, 3, /*pad*/ 9, 9, 9,
                               4, 5, 6, 255, 0, 255, /*pad*/ 255, 0, 255};
  EXPECT_EQ(RegionRunsFromPixels(RgbView{data, 2, 2, 9}, kMagenta),
            (std::vector<RowRun>{{1, 0, 1}, {0, 1, 1}}));
  for (const RgbView& empty : {RgbView{nullptr, 4, 4, 12}, RgbView{data, 0, 1, 3},
                               RgbView{data, 1, 0, 3}, RgbView{data, -1, -1, 3}}) {
    EXPECT_TRUE(RegionRunsFromPixels(empty, kMagenta).empty());
  }
}

// For random pictures the runs come in reading order, stay in their row,
// are maximal (a key pixel or the edge on both sides) and cover exactly the
// non-key pixels.
TEST(RegionRuns, RunsCoverExactlyTheNonKeyPixelsOfRandomPictures) {
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + static_cast<int>(rng() % 23), h = 1 + static_cast<int>(rng() % 9);
    const unsigned keyShare = rng() % 101;  // percent of key pixels
    RgbImage image{w, h, {}};
    for (int i = 0; i < w * h; ++i) {
      const Rgb p = rng() % 100 < keyShare ? kMagenta : Rgb{255, 0, std::uint8_t(rng() % 255)};
      image.pixels.insert(image.pixels.end(), {p.r, p.g, p.b});
    }
    const RgbView view = image.View();
    std::vector<int> covered(static_cast<std::size_t>(w * h), 0);
    RowRun previous{-1, -1, 0};
    for (const RowRun& run : RegionRunsFromPixels(view, kMagenta)) {
      ASSERT_TRUE(run.x >= 0 && run.width > 0 && run.x + run.width <= w) << "a run left its row";
      ASSERT_TRUE(run.y > previous.y ||
                  (run.y == previous.y && run.x > previous.x + previous.width));
      EXPECT_TRUE(run.x == 0 || view.At(run.x - 1, run.y) == kMagenta);
      EXPECT_TRUE(run.x + run.width == w || view.At(run.x + run.width, run.y) == kMagenta);
      for (int x = run.x; x < run.x + run.width; ++x) ++covered[std::size_t(run.y * w + x)];
      previous = run;
    }
    for (int i = 0; i < w * h; ++i) {
      ASSERT_EQ(covered[static_cast<std::size_t>(i)], view.At(i % w, i / w) == kMagenta ? 0 : 1)
          << "trial " << trial << " pixel " << i % w << "," << i / w;
    }
  }
}

// A component of 0xFFFF (-1) means no key; otherwise the low bytes count.
TEST(RegionRuns, KeyColourFromComponents) {
  const struct {
    int r, g, b;
    std::optional<Rgb> key;
  } cases[] = {
      {255, 0, 255, Rgb{255, 0, 255}}, {0, 0, 0, Rgb{0, 0, 0}},
      {-1, 0, 255, std::nullopt},      {255, -1, 255, std::nullopt},
      {255, 0, -1, std::nullopt},      {0xFFFF, 0, 0, std::nullopt},
      {0, 0, 0xFFFF, std::nullopt},    {0x1FF, 0x100, 0x2FE, Rgb{0xFF, 0x00, 0xFE}},
      {0xFFFE, 0, 0, Rgb{0xFE, 0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyColourFromComponents(c.r, c.g, c.b), c.key) << c.r << "," << c.g << "," << c.b;
  }
}

}  // namespace
}  // namespace brindle
