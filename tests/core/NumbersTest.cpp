// Numbers read from text: the leading decimal of settings and window texts,
// and the whole numbers of command-line options.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "core/Numbers.h"

namespace brindle {
namespace {

TEST(Numbers, LeadingIntReadsAsAtoiButSaturates) {
  const std::pair<const char*, int> cases[] = {
      {"\t 42 7", 42}, {"+9100abc", 9100}, {"-17", -17}, {"", 0}, {"+-5", 0}, {"0x10", 0},
      {"2147483648", INT_MAX}, {"-2147483649", INT_MIN}, {"-99999999999999999999", INT_MIN},
  };
  for (auto [text, value] : cases) EXPECT_EQ(ParseLeadingInt(text), value) << text;
  // Property: on texts of blanks, signs, digits and letters the 64-bit reading
  // is the C library's strtoll, saturation included.
  std::mt19937 rng(9100);
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    for (std::size_t n = rng() % 25; n > 0; --n) text += " \t+-0123456789abc."[rng() % 18];
    ASSERT_EQ(ParseLeadingDecimal(text), std::strtoll(text.c_str(), nullptr, 10)) << text;
  }
}

TEST(Numbers, OptionValuesMustBeWholeNumbersInRange) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {"0", 0}, {"10", 10}, {"007", 7}, {"11", {}}, {"", {}}, {"-1", {}}, {"+3", {}}, {" 3", {}},
      {"3a", {}}, {"99999999999999999999", {}},
  };
  for (auto [text, value] : cases) EXPECT_EQ(ParseDecimalIn(text, 0, 10), value) << text;
}

}  // namespace
}  // namespace brindle
