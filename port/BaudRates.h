#pragma once
// The serial line rates: the text the window lists and the command line
// takes, the baud code that the port settings carry (3 to 10) and the
// terminal speed it selects.
#include <termios.h>

#include <optional>
#include <span>
#include <string_view>

namespace brindle {

struct BaudRate {
  int code;
  std::string_view bitsPerSecond;  // "19200"
  std::string_view text;           // "19200 bps", as the BaudRate list shows it
  speed_t speed;
  bool listed;  // offered by the window's BaudRate list
};

// Every rate, slowest first.
std::span<const BaudRate> BaudRates();

// The rate of a baud code, or nothing for a code outside 3..10.
std::optional<BaudRate> BaudRateOfCode(int code);

// The code of a BaudRate list text ("19200 bps"); 7 (19200 bps) for any
// other text.
int BaudCodeForText(std::string_view text);

}  // namespace brindle
