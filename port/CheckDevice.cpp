#include "port/CheckDevice.h"

namespace brindle {

namespace {

// Sends the request; on success reads one reply into `reply` (cleared
// first) and returns true. The read's count is deliberately not used: an
// empty reply leaves a zero first byte, which is not a ready answer.
bool RequestAndRead(IPort& port, std::uint8_t (&reply)[kDeviceReplySize], bool read) {
  if (port.Write(kDeviceCheckRequest, sizeof kDeviceCheckRequest) == 0) return false;
  for (std::uint8_t& b : reply) b = 0;
  if (read) port.Read(reply, sizeof reply);
  return true;
}

}  // namespace

int CheckDevice(IPort& serialPort) {
  std::uint8_t reply[kDeviceReplySize];
  if (!RequestAndRead(serialPort, reply, true)) return 0;
  return IsReadyReply(reply[0]) ? 1 : 0;
}

int CheckDevice(IPort& port, int code) {
  std::uint8_t reply[kDeviceReplySize];
  return RequestAndRead(port, reply, code == 0) ? 1 : 0;
}

}  // namespace brindle
