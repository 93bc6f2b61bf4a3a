#include "device/PortKind.h"

namespace brindle {

PortKind PortKindOf(std::string_view portName) {
  const std::string_view prefix = portName.substr(0, 3);
  if (prefix == "USB") return PortKind::Usb;
  if (prefix == "COM") return PortKind::Com;
  return PortKind::Lpt;
}

bool IsWin9xPlatform() { return false; }

}  // namespace brindle
