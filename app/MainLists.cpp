#include "app/MainLists.h"

#include <vector>

#include "device/PortKind.h"
#include "port/BaudRates.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

constexpr std::string_view kDevices[] = {"Thermal", "Dot"};
constexpr std::string_view kBitLengths[] = {"8 bit"};
constexpr std::string_view kParities[] = {"NONE", "EVEN", "ODD"};
constexpr std::string_view kStopBits[] = {"1 bit"};
constexpr std::string_view kHandshakes[] = {"DTR/DSR"};

// The rates the BaudRate list offers, from the one table of rates.
const std::vector<std::string_view>& ListedBaudRates() {
  static const std::vector<std::string_view> texts = [] {
    std::vector<std::string_view> listed;
    for (const BaudRate& rate : BaudRates()) {
      if (rate.listed) listed.push_back(rate.text);
    }
    return listed;
  }();
  return texts;
}

}  // namespace

std::span<const DropDownList> MainDropDownLists() {
  static const DropDownList lists[] = {
      {id::kDeviceList, kDevices, 0},           {id::kPortList, PortNames(), 4},
      {id::kBaudList, ListedBaudRates(), 3},     {id::kBitLengthList, kBitLengths, 0},
      {id::kParityList, kParities, 0},          {id::kStopBitList, kStopBits, 0},
      {id::kHandshakeList, kHandshakes, 0},
  };
  return lists;
}

}  // namespace brindle
