#include "device/PortKind.h"

namespace brindle {

PortKind PortKindOf(std::string_view portName) {
  const std::string_view prefix = portName.substr(0, 3);
  if (prefix == "USB") return PortKind::Usb;
  if (prefix == "COM") return PortKind::Com;
  return PortKind::Lpt;
}

std::span<const std::string_view> PortNames() {
  static constexpr std::string_view kNames[] = {
      "LPT1", "LPT2", "USB",  "TCP/IP", "COM1", "COM2",  "COM3",  "COM4",
      "COM5", "COM6", "COM7", "COM8",   "COM9", "COM10", "COM11", "COM12"};
  return kNames;
}

}  // namespace brindle
