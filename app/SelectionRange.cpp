#include "app/SelectionRange.h"

#include "core/Numbers.h"

namespace brindle {

PrintRange PrintoutRange(int rangeMode, const std::string& text) {
  if (rangeMode != 1) return {};
  const auto dash = text.find('-');
  if (dash == std::string::npos || dash == 0) return {ParseLeadingInt(text), 0};
  const auto second = text.find('-', dash + 1);
  const std::string after =
      text.substr(dash + 1, second == std::string::npos ? std::string::npos : second - dash - 1);
  return {ParseLeadingInt(text.substr(0, dash)), ParseLeadingInt(after)};
}

int EraseStart(int rangeMode, const std::string& text) {
  return rangeMode == 1 ? ParseLeadingInt(text) : 0;
}

}  // namespace brindle
