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
  struct Case {
    const char* text;
    int width;
    std::uint32_t format;
    std::vector<std::string> lines;
  };
  const std::uint32_t wrap = SplashTextWordBreak;
  const std::vector<Case> cases = {
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
  for (const Case& c : cases) {
    EXPECT_EQ(WrapSplashText(c.text, c.width, c.format, Measure), c.lines) << c.text;
  }
}

TEST(SplashText, PlacesLinesInTheTextRectangle) {
  const SplashRect picture{0, 0, 644, 213};
  using Lines = std::vector<SplashTextLine>;
  // Default format 21: centred both ways; 20 px of text, 14 px lines.
  EXPECT_EQ(LayoutSplashText("ab", picture, SplashTextDefaultFormat, 14, Measure),
            (Lines{{"ab", 312, 99}}));
  // Two lines: the block of 28 px is centred, each line on its own.
  EXPECT_EQ(LayoutSplashText("abcd\nef", picture, SplashTextDefaultFormat, 14, Measure),
            (Lines{{"abcd", 302, 92}, {"ef", 312, 106}}));
  // Without the centring flags text starts at the rectangle's corner.
  EXPECT_EQ(LayoutSplashText("ab", SplashRect{5, 7, 100, 50}, SplashTextWordBreak, 14, Measure),
            (Lines{{"ab", 5, 7}}));
  EXPECT_TRUE(LayoutSplashText("", picture, SplashTextDefaultFormat, 14, Measure).empty());
}

}  // namespace
}  // namespace brindle
