#include "app/PortSettings.h"

#include <array>
#include <utility>

namespace brindle {

int BaudCodeForText(const std::string& text) {
  // "1200 bps" and "57600 bps" are not offered in the list but keep their
  // codes, so a list that offered them would need no change here.
  static constexpr std::array<std::pair<const char*, int>, 8> kCodes{{
      {"1200 bps", 3},
      {"2400 bps", 4},
      {"4800 bps", 5},
      {"9600 bps", 6},
      {"19200 bps", 7},
      {"38400 bps", 8},
      {"57600 bps", 9},
      {"115200 bps", 10},
  }};
  for (const auto& [name, code] : kCodes) {
    if (text == name) return code;
  }
  return 7;
}

}  // namespace brindle
