#include "tools/cli/PortsReport.h"

#include <unistd.h>

#include <algorithm>

#include "port/PrinterPort.h"
#include "tools/cli/Json.h"
#include "tools/cli/OpenFailure.h"

namespace brindle::cli {
namespace {

PortEntry Examine(const std::string& port, const std::string& device) {
  PortEntry e;
  e.port = port;
  e.device = device;
  e.exists = ::access(device.c_str(), F_OK) == 0;
  e.writable = e.exists && ::access(device.c_str(), W_OK) == 0;
  if (e.exists && !e.writable) {
    e.reason = "permission denied";
    e.remedy = AccessAdvice(device);
  }
  return e;
}

}  // namespace

std::vector<PortEntry> ListPorts(const DeviceDirectory& devices) {
  std::vector<PortEntry> entries;
  for (int n = 1; n <= 12; ++n) {
    const std::string name = "COM" + std::to_string(n);
    entries.push_back(Examine(name, devices.SerialPath(name)));
  }
  for (const char* name : {"LPT1", "LPT2"}) {
    entries.push_back(Examine(name, devices.ParallelPath(name)));
  }
  // The search a USB job makes: the first device that opens exclusively.
  PrinterPort usb(SystemClock::Instance(), devices);
  std::string used;
  if (usb.FindUsbPrinter(used) == 0) used.clear();
  for (int n = 0; n < kUsbPrinterCount; ++n) {
    PortEntry e = Examine("USB", devices.UsbPrinterPath(n));
    e.selected = e.device == used;
    entries.push_back(e);
  }
  return entries;
}

std::string PortsText(const std::vector<PortEntry>& entries) {
  std::size_t width = 0;
  for (const PortEntry& e : entries) width = std::max(width, e.device.size());
  std::string out;
  for (const PortEntry& e : entries) {
    std::string line = e.port + std::string(7 - std::min<std::size_t>(e.port.size(), 6), ' ') +
                       e.device + std::string(width + 2 - e.device.size(), ' ');
    if (!e.exists) line += "missing";
    else if (e.writable) line += "may be opened";
    else line += e.reason + (e.remedy.empty() ? "" : "; " + e.remedy);
    if (e.selected) line += " (used by USB jobs now)";
    out += line + "\n";
  }
  return out;
}

std::string PortsJson(const std::vector<PortEntry>& entries) {
  std::string out = "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PortEntry& e = entries[i];
    out += std::string(i ? ",\n " : "\n ") + "{\"port\": " + JsonString(e.port) +
           ", \"device\": " + JsonString(e.device) + ", \"exists\": " +
           (e.exists ? "true" : "false") + ", \"writable\": " + (e.writable ? "true" : "false") +
           ", \"reason\": " + JsonString(e.reason) + ", \"remedy\": " + JsonString(e.remedy) +
           ", \"selected\": " + (e.selected ? "true" : "false") + "}";
  }
  return out + "\n]\n";
}

}  // namespace brindle::cli
