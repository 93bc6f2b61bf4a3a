#include "app/MainLists.h"

#include "res/ControlIds.h"

namespace brindle {
namespace {

constexpr std::string_view kDevices[] = {"Thermal", "Dot"};
constexpr std::string_view kPorts[] = {"LPT1", "LPT2", "USB",  "TCP/IP", "COM1",  "COM2",
                                       "COM3", "COM4", "COM5", "COM6",   "COM7",  "COM8",
                                       "COM9", "COM10", "COM11", "COM12"};
constexpr std::string_view kBaudRates[] = {"2400 bps",  "4800 bps",  "9600 bps",
                                           "19200 bps", "38400 bps", "115200 bps"};
constexpr std::string_view kBitLengths[] = {"8 bit"};
constexpr std::string_view kParities[] = {"NONE", "EVEN", "ODD"};
constexpr std::string_view kStopBits[] = {"1 bit"};
constexpr std::string_view kHandshakes[] = {"DTR/DSR"};

constexpr DropDownList kLists[] = {
    {id::kDeviceList, kDevices, 0},     {id::kPortList, kPorts, 4},
    {id::kBaudList, kBaudRates, 3},     {id::kBitLengthList, kBitLengths, 0},
    {id::kParityList, kParities, 0},    {id::kStopBitList, kStopBits, 0},
    {id::kHandshakeList, kHandshakes, 0},
};

}  // namespace

std::span<const DropDownList> MainDropDownLists() { return kLists; }

}  // namespace brindle
