#include "tools/cli/OpenFailure.h"

#include <cerrno>
#include <cstring>

namespace brindle::cli {
namespace {

// The group whose members may open the device: printers belong to "lp",
// serial lines to "dialout" on Debian.
std::string GroupFor(const std::string& portName) {
  return portName.rfind("COM", 0) == 0 ? "dialout" : "lp";
}

}  // namespace

std::string ExplainOpenFailure(const PortError& error, const std::string& portName) {
  const std::string device = error.device.empty() ? portName : error.device;
  switch (error.code) {
    case 0:
      if (portName == "USB") return "no USB printer found (none of usb/lp0 ... usb/lp15 could be opened)";
      return "";
    case EACCES:
    case EPERM:
      return device + ": permission denied; members of the group '" + GroupFor(portName) +
             "' may use it (sudo usermod -aG " + GroupFor(portName) +
             " $USER, then log in again)";
    case EBUSY:
    case EWOULDBLOCK:
      return device + ": busy; another program holds the port";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return device + ": no such port on this computer";
    default:
      return device + ": " + std::strerror(error.code);
  }
}

}  // namespace brindle::cli
