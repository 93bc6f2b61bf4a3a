#pragma once
// brindle-cli ports: every port name Brindle knows, the device it leads
// to on this computer, and whether this user may open it, for the
// question "why does my printer not answer?".
#include <string>
#include <vector>

#include "port/DeviceDirectory.h"

namespace brindle::cli {

struct PortEntry {
  std::string port;    // "COM1", "LPT1", "USB"
  std::string device;  // the device path
  bool exists = false;
  bool writable = false;  // this user may open it for writing
  std::string reason;     // why not, when it exists and is not writable
  std::string remedy;     // what to do about it
  bool selected = false;  // the USB printer a job would use now
};

// COM1 ... COM12, LPT1, LPT2, then USB once for each usb/lpN in the order
// a USB job tries them, all under `devices`.
std::vector<PortEntry> ListPorts(const DeviceDirectory& devices);

// Aligned columns for a person, or one JSON array for a script.
std::string PortsText(const std::vector<PortEntry>& entries);
std::string PortsJson(const std::vector<PortEntry>& entries);

}  // namespace brindle::cli
