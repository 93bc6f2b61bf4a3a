#pragma once
// The transport interface that device checks and command streams write
// through. Each transport (serial line, parallel or USB printer, TCP link)
// implements it on top of its own named operations; a recording fake
// implements it in tests so that every write, its bytes and its grouping
// can be compared and any chosen write can be made to fail.
//
// Results are integers, never exceptions. When an operation fails, the
// operating-system error that caused it is kept (see PortError) beside the
// integer result, so that a caller with a terminal can name the device and
// the reason while the window shows its fixed texts.
#include <cstddef>
#include <cstdint>
#include <string>

namespace brindle {

// Why the last failed operation of a port failed: `code` is an errno value
// (ETIMEDOUT for a time-out of the port's own, 0 when nothing has failed
// yet) and `device` the device path or "address:port" that was used.
struct PortError {
  int code = 0;
  std::string device;
};

// Human-readable form of `error`, e.g. "/dev/ttyS0: Permission denied".
std::string DescribePortError(const PortError& error);

class IPort {
 public:
  virtual ~IPort() = default;

  // Writes `length` bytes as one write of the port. Returns 1 when every
  // byte was accepted, 0 otherwise. A write that times out part-way returns
  // 0 and does not say how many bytes went out: those bytes stay sent and
  // are not repeated. A length of 0 returns 1 without touching the device.
  virtual int Write(const std::uint8_t* data, std::size_t length) = 0;

  // Writes `length` bytes paced for slow printers (bands of a dot-matrix
  // logo). Same results as Write. Transports without a paced form (serial
  // line, TCP link) write exactly as Write does.
  virtual int WriteTimed(const std::uint8_t* data, std::size_t length) = 0;

  // Writes `length` bytes in small pieces with a pause after each piece
  // (large rasters on a USB printer). Same results as Write. Transports
  // without a chunked form write exactly as Write does.
  virtual int WriteChunked(const std::uint8_t* data, std::size_t length) = 0;

  // Reads at most `size` bytes of the device's reply into `buffer` and
  // returns how many arrived: 0 when none arrived within the port's read
  // bound. The TCP link returns -1 on a failure or when its bound expires
  // and 0 when the peer has closed the connection. Never blocks longer
  // than the transport's documented read bound.
  virtual int Read(std::uint8_t* buffer, std::size_t size) = 0;

  // Releases the device or socket. Safe to call when nothing is open and
  // more than once; the destructor of every transport does it too.
  virtual void Close() = 0;

  // Ends a job that wrote everything it meant to: waits, within the
  // transport's own bound, until the device has taken the data, and
  // returns 0 when the transport knows that it did not (a printer that
  // reset the connection before reading to the end), else 1. Transports
  // that cannot tell return 1. Close follows in every case.
  virtual int Finish() { return 1; }

  // True between a successful open or connect and Close.
  virtual bool IsOpen() const = 0;

  // The cause of the last failure (code 0 when no operation has failed).
  virtual PortError LastError() const = 0;
};

}  // namespace brindle
