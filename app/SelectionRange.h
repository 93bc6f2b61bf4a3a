#pragma once
// The start and end numbers of a printout from the "Printing Range" choice
// and the selection number text.
#include <string>

namespace brindle {

struct PrintRange {
  int start = 0;
  int end = 0;
  bool operator==(const PrintRange&) const = default;
};

// "All" (mode 0) prints everything: 0 and 0. With "Selection", "a-b" (the
// first "-" not leading) gives a and b (b ends at a second "-"); any other
// text gives its number and 0. Numbers are read as leading decimals.
PrintRange PrintoutRange(int rangeMode, const std::string& text);

// Erase reads the whole text as one number with "Selection", else 0.
int EraseStart(int rangeMode, const std::string& text);

}  // namespace brindle
