#pragma once
// Serial transport: a printer on "COM1" ... "COM12" through a terminal
// device (termios), one job at a time, everything synchronous.
//
// Line settings applied by OpenSerialPort, starting from the device's
// current settings: 8 data bits, one stop bit, parity none/even/odd from
// the parity index 0/1/2, raw (binary) mode without input parity checking,
// CTS output flow control, no XON/XOFF output control (input XON/XOFF is
// left as it was), DTR and RTS raised. DSR output flow control is done
// here: a write waits, within its time-out, while the device reports DSR
// low; a device that cannot report its modem lines counts as DSR high.
// Received 0x00 bytes are discarded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Clock.h"
#include "port/DeviceDirectory.h"
#include "port/Port.h"
#include "port/SerialSettings.h"
#include "port/UniqueFd.h"

namespace brindle {

// Read bounds of a serial port: a read ends 10 ms after the last byte or
// 100 ms after it began.
inline constexpr int kSerialReadIntervalMs = 10;
inline constexpr int kSerialReadTotalMs = 100;
// Finish fails when the output queue has not shrunk for this long.
inline constexpr int kSerialDrainStallLimitMs = 10000;

class SerialPort final : public IPort {
 public:
  explicit SerialPort(IClock& clock = SystemClock::Instance(),
                      DeviceDirectory devices = DeviceDirectory::FromEnvironment());
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens `portName` ("COMn") exclusively, purges both directions and
  // applies the line settings above. The bit-length, stop-bit and
  // handshake indices are accepted and ignored: the line is always 8N1
  // (or 8E1/8O1) with hardware handshake. A baud code outside 3..10 keeps
  // the device's rate, a parity index outside 0..2 its parity.
  // Returns 0: open and configured. -1: not opened (unknown name, missing
  // device, in use by another program, no permission); nothing to close.
  // -2: opened, but the settings were refused; the port stays open and the
  // caller closes it. A pseudo-terminal (a stand-in printer) carries no
  // parity and drops the parity bit; that alone is not a refusal.
  int OpenSerialPort(const std::string& portName, int baudCode, int bitLengthIndex,
                     int parityIndex, int stopBitIndex, int handshakeIndex);

  // Writes all `length` bytes within length × SerialWriteTimeoutPerByteMs
  // ms. Returns 1 when all were accepted, 0 otherwise (the bytes written
  // before a time-out stay sent; LastError() is ETIMEDOUT).
  int WriteSerial(const std::uint8_t* data, std::size_t length);

  // Reads at most `size` bytes; returns the count (0 to size), 0 also when
  // the read failed. Ends when `size` bytes have arrived, 10 ms after the
  // last byte, or 100 ms after the call began.
  int ReadSerial(std::uint8_t* buffer, std::size_t size);

  // IPort: every write form is WriteSerial, Read is ReadSerial.
  int Write(const std::uint8_t* data, std::size_t length) override;
  int WriteTimed(const std::uint8_t* data, std::size_t length) override;
  int WriteChunked(const std::uint8_t* data, std::size_t length) override;
  int Read(std::uint8_t* buffer, std::size_t size) override;
  // Waits until the line has sent everything written: 1, or 0 when the
  // output queue stopped shrinking for kSerialDrainStallLimitMs. A device
  // that cannot report its queue (a pseudo-terminal reports 0) returns 1.
  int Finish() override;
  void Close() override;
  bool IsOpen() const override { return fd_.Valid(); }
  PortError LastError() const override { return error_; }

  // The device file of the last open attempt.
  const std::string& DevicePath() const { return error_.device; }

 private:
  int Fail(int err, int result);

  IClock& clock_;
  DeviceDirectory devices_;
  UniqueFd fd_;
  int perByteMs_ = SerialWriteTimeoutPerByteMs(3);
  PortError error_;
};

}  // namespace brindle
