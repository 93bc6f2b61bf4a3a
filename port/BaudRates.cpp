#include "port/BaudRates.h"

namespace brindle {
namespace {

// 1200 and 57600 bps keep their codes although the window does not list
// them; the command line offers them.
constexpr BaudRate kRates[] = {
    {3, "1200", "1200 bps", B1200, false},     {4, "2400", "2400 bps", B2400, true},
    {5, "4800", "4800 bps", B4800, true},      {6, "9600", "9600 bps", B9600, true},
    {7, "19200", "19200 bps", B19200, true},   {8, "38400", "38400 bps", B38400, true},
    {9, "57600", "57600 bps", B57600, false},  {10, "115200", "115200 bps", B115200, true},
};

constexpr int kDefaultBaudCode = 7;

}  // namespace

std::span<const BaudRate> BaudRates() { return kRates; }

std::optional<BaudRate> BaudRateOfCode(int code) {
  for (const BaudRate& rate : kRates) {
    if (rate.code == code) return rate;
  }
  return std::nullopt;
}

int BaudCodeForText(std::string_view text) {
  for (const BaudRate& rate : kRates) {
    if (rate.text == text) return rate.code;
  }
  return kDefaultBaudCode;
}

}  // namespace brindle
