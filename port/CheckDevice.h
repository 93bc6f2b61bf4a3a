#pragma once
// The device check run before a job's command stream: send GS I 1
// (transmit printer ID) and judge the first byte of the reply. A printer
// that is ready answers with 0x0D (CR) or 0x20 (space).
#include <cstddef>
#include <cstdint>

#include "port/Port.h"

namespace brindle {

inline constexpr std::uint8_t kDeviceCheckRequest[3] = {0x1D, 0x49, 0x01};
inline constexpr std::size_t kDeviceReplySize = 50;

// True for the first reply bytes of a ready printer: 0x0D and 0x20.
constexpr bool IsReadyReply(std::uint8_t firstByte) {
  return firstByte == 0x0D || firstByte == 0x20;
}

// Serial form: writes the 3-byte request with one Write, then always reads
// one reply of up to 50 bytes into a cleared buffer. Returns 1 when the
// first byte is 0x0D or 0x20; 0 when the write failed, nothing came (a
// read that returns 0 leaves the cleared buffer), or anything else came.
int CheckDevice(IPort& serialPort);

// Parallel, USB and TCP/IP form: writes the request with one Write; a
// failed write returns 0, anything else 1. For `code` 0 (a Thermal
// printout or upload) one Read of up to 50 bytes follows and is
// discarded: whatever the printer answers, silence included, passes, since
// printers on these ports often cannot answer. Other codes read nothing.
int CheckDevice(IPort& port, int code);

}  // namespace brindle
