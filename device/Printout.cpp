#include "device/Printout.h"

#include <algorithm>

namespace brindle {
namespace {

int PrintImage(IPort& port, int number, std::uint8_t mode) {
  const std::uint8_t command[4] = {0x1C, 0x70, static_cast<std::uint8_t>(number), mode};
  return port.Write(command, sizeof command) == 1 ? 1 : 0;
}

int Cut(IPort& port) {
  const std::uint8_t command[4] = {0x1D, 0x56, 0x42, 0x01};
  return port.Write(command, sizeof command) == 1 ? 1 : 0;
}

int PrintRange(IPort& port, int first, int last, std::uint8_t mode) {
  // A printer holds at most 255 images: numbers beyond it print nothing,
  // so one printout never sends more than 255 print commands.
  for (int n = first; n <= std::min(last, kPrintAllCount); ++n) {
    if (PrintImage(port, n, mode) == 0) return 0;
  }
  return Cut(port);
}

}  // namespace

std::uint8_t PrintSizeMode(int sizeIndex) {
  return sizeIndex >= 0 && sizeIndex <= 3 ? static_cast<std::uint8_t>(0x30 + sizeIndex) : 0x30;
}

int SendThermalPrintout(IPort& port, int start, int sizeIndex, int end) {
  if (start == kEraseValue && sizeIndex == kEraseValue) {
    const std::uint8_t erase[2] = {0x1C, 0x65};
    return port.Write(erase, sizeof erase) == 1 ? 1 : 0;
  }
  const std::uint8_t mode = PrintSizeMode(sizeIndex);
  if (start == 0 && end == 0) return PrintRange(port, 1, kPrintAllCount, mode);
  if (start > 0 && end > 0) return PrintRange(port, start, end, mode);
  if (start < 0 || start > kPrintAllCount) return Cut(port);
  if (PrintImage(port, start, mode) == 0) return 0;
  return Cut(port);
}

int SendDotPrintout(IPort& port) {
  const std::uint8_t print[3] = {0x1B, 0x6F, 0x01};
  if (port.Write(print, sizeof print) != 1) return 0;
  const std::uint8_t feedCut[16] = {0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A,
                                    0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D};
  return port.Write(feedCut, sizeof feedCut) == 1 ? 1 : 0;
}

}  // namespace brindle
