// Reading numbers: the leading decimal of settings and window texts, and
// the whole numbers of command-line options.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "core/Numbers.h"

namespace brindle {
namespace {

TEST(Numbers, LeadingIntReadsAsAtoiButSaturates) {
  const std::pair<const char*, int> cases[] = {
      {"42", 42},      {"\t 42 7", 42},  {"+9100abc", 9100}, {"-17", -17}, {"", 0},
      {"-", 0},        {"+-5", 0},       {"x12", 0},         {"0x10", 0},  {" - 5", 0},
      {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
      {"2147483648", INT_MAX},           {"-2147483649", INT_MIN},
  };
  for (auto [text, value] : cases) EXPECT_EQ(ParseLeadingInt(text), value) << '"' << text << '"';
}

// Property: for arbitrary texts of blanks, signs, digits and letters the
// leading decimal is what the C library's strtoll reads, saturation included.
TEST(NumbersProperty, LeadingDecimalMatchesTheCLibrary) {
  std::mt19937 rng(9100);
  const std::string alphabet = " \t+-0123456789abc.";
  std::uniform_int_distribution<std::size_t> len(0, 24), pick(0, alphabet.size() - 1);
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    for (std::size_t n = len(rng); n > 0; --n) text += alphabet[pick(rng)];
    ASSERT_EQ(ParseLeadingDecimal(text), std::strtoll(text.c_str(), nullptr, 10)) << text;
  }
}

TEST(Numbers, OptionValuesMustBeWholeNumbersInRange) {
  const struct {
    const char* text;
    std::optional<std::int64_t> value;
  } cases[] = {
      {"0", 0},          {"10", 10},          {"007", 7},           {"11", std::nullopt},
      {"", std::nullopt}, {"-1", std::nullopt}, {"+3", std::nullopt}, {" 3", std::nullopt},
      {"3 ", std::nullopt}, {"3a", std::nullopt}, {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDecimalIn(c.text, 0, 10), c.value) << c.text;
}

}  // namespace
}  // namespace brindle
