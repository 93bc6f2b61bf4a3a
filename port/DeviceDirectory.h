#pragma once
// Where port names lead on this system. Every device path is resolved under
// one directory: /dev, or the directory named by the environment variable
// BRINDLE_DEVICE_DIR, so that tests and unusual set-ups can point "COM1",
// "LPT1" or "USB" at pseudo-terminals, FIFOs or symbolic links.
#include <string>
#include <string_view>

namespace brindle {

class DeviceDirectory {
 public:
  // Resolves paths under `root` (no trailing slash needed).
  explicit DeviceDirectory(std::string root);

  // $BRINDLE_DEVICE_DIR when it is set and not empty, else "/dev". Read at
  // the time of the call, so each job sees the current setting.
  static DeviceDirectory FromEnvironment();

  const std::string& Root() const { return root_; }

  // "COM1" ... "COMn" (n from 1 to 255, no leading zero) → <root>/ttyS0 ...
  // <root>/ttyS<n-1>. Any other name gives "" (no such port).
  std::string SerialPath(std::string_view portName) const;

  // "LPT1" ... "LPTn" (same rule) → <root>/lp0 ... Any other name gives "".
  std::string ParallelPath(std::string_view portName) const;

  // The USB printer with the given number: <root>/usb/lp<index>.
  std::string UsbPrinterPath(int index) const;

 private:
  std::string root_;
};

// The number n of a port name "<prefix>n" (1..255, no leading zero), or 0
// when `name` is not of that form.
int PortNumber(std::string_view name, std::string_view prefix);

}  // namespace brindle
