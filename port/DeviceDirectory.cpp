#include "port/DeviceDirectory.h"

#include <cstdlib>
#include <utility>

namespace brindle {

DeviceDirectory::DeviceDirectory(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

DeviceDirectory DeviceDirectory::FromEnvironment() {
  const char* dir = std::getenv("BRINDLE_DEVICE_DIR");
  return DeviceDirectory(dir != nullptr && dir[0] != '\0' ? dir : "/dev");
}

int PortNumber(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 3) return 0;
  if (name.substr(0, prefix.size()) != prefix) return 0;
  std::string_view digits = name.substr(prefix.size());
  if (digits[0] == '0') return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= 255 ? n : 0;
}

std::string DeviceDirectory::SerialPath(std::string_view portName) const {
  int n = PortNumber(portName, "COM");
  return n == 0 ? std::string() : root_ + "/ttyS" + std::to_string(n - 1);
}

std::string DeviceDirectory::ParallelPath(std::string_view portName) const {
  int n = PortNumber(portName, "LPT");
  return n == 0 ? std::string() : root_ + "/lp" + std::to_string(n - 1);
}

std::string DeviceDirectory::UsbPrinterPath(int index) const {
  return root_ + "/usb/lp" + std::to_string(index);
}

}  // namespace brindle
