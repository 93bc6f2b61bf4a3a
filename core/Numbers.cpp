#include "core/Numbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>
#include <system_error>

namespace brindle {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int64_t ParseLeadingDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  // from_chars takes a minus sign but not a plus sign.
  if (i + 1 < text.size() && text[i] == '+' && text[i + 1] != '-') ++i;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    return *first == '-' ? std::numeric_limits<std::int64_t>::min()
                         : std::numeric_limits<std::int64_t>::max();
  }
  return ec == std::errc() ? value : 0;
}

int ParseLeadingInt(std::string_view text) {
  return static_cast<int>(
      std::clamp<std::int64_t>(ParseLeadingDecimal(text), INT_MIN, INT_MAX));
}

std::optional<std::int64_t> ParseDecimalIn(std::string_view text, std::int64_t low,
                                           std::int64_t high) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace brindle
