// Line breaking and placement of the optional splash text.
#include <gtest/gtest.h>

#include <vector>

#include "splash/SplashFlags.h"
#include "splash/SplashText.h"

namespace brindle {
namespace {

// Every character is 10 pixels wide.
int Measure(const std::string& s) { return static_cast<int>(s.size()) * 10; }

TEST(SplashText, WrapsAtWordsAndNewlines) {
  const std::uint32_t wrap = SplashTextWordBreak;
  const struct {
    const char* text;
    int width;
    std::uint32_t format;
    std::vector<std::string> lines;
  } cases[] = {
      {"hello world", 200, wrap, {"hello world"}},
      {"hello world", 110, wrap, {"hello world"}},  // exactly fits
      {"hello world", 100, wrap, {"hello", "world"}},
      {"one two three four", 90, wrap, {"one two", "three", "four"}},
      {"abcdefghijkl x", 50, wrap, {"abcdefghijkl", "x"}},  // a long word keeps its own line
      {"a\nb c", 200, wrap, {"a", "b c"}},
      {"a\n\nb", 200, wrap, {"a", "", "b"}},
      {"hello   world", 70, wrap, {"hello", "world"}},  // spaces at a break go
      {"hello world", 50, 0, {"hello world"}},          // no word break: one line
      {"a\nb", 50, 0, {"a", "b"}},
      {"", 50, wrap, {""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WrapSplashText(c.text, c.width, c.format, Measure), c.lines) << c.text;
  }
}

// The default format 21 centres each line, and the block of 14 px lines,
// in the rectangle; without the centring flags text starts at its corner.
TEST(SplashText, PlacesLinesInTheTextRectangle) {
  using Lines = std::vector<SplashTextLine>;
  const SplashRect picture{0, 0, 644, 213};
  EXPECT_EQ(LayoutSplashText("ab", picture, SplashTextDefaultFormat, 14, Measure),
            (Lines{{"ab", 312, 99}}));
  EXPECT_EQ(LayoutSplashText("abcd\nef", picture, SplashTextDefaultFormat, 14, Measure),
            (Lines{{"abcd", 302, 92}, {"ef", 312, 106}}));
  EXPECT_EQ(LayoutSplashText("ab", SplashRect{5, 7, 100, 50}, SplashTextWordBreak, 14, Measure),
            (Lines{{"ab", 5, 7}}));
  EXPECT_TRUE(LayoutSplashText("", picture, SplashTextDefaultFormat, 14, Measure).empty());
}

}  // namespace
}  // namespace brindle
