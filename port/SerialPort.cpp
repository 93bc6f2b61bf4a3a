#include "port/SerialPort.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <cerrno>
#include <utility>

#include "port/PosixIo.h"

namespace brindle {

namespace {

// tcsetattr succeeds when any part of a request was applied, so the
// character size, stop bits and rates are read back and compared. Parity
// is not: pseudo-terminals, which stand in for printers, always clear it.
bool LineSettingsTook(const termios& wanted, const termios& got) {
  constexpr tcflag_t kFraming = CSIZE | CSTOPB | CREAD;
  return (wanted.c_cflag & kFraming) == (got.c_cflag & kFraming) &&
         cfgetospeed(&wanted) == cfgetospeed(&got) && cfgetispeed(&wanted) == cfgetispeed(&got);
}

// Unix98 pseudo-terminal client sides have the major numbers 136 to 143.
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
         major(st.st_rdev) <= 143;
}

// DSR output flow control: hold off while the device reports DSR low. A
// device without modem lines (the ioctl fails) never holds off.
bool DsrLow(int fd) {
  int lines = 0;
  if (::ioctl(fd, TIOCMGET, &lines) != 0) return false;
  return (lines & TIOCM_DSR) == 0;
}

}  // namespace

SerialPort::SerialPort(IClock& clock, DeviceDirectory devices)
    : clock_(clock), devices_(std::move(devices)) {}

SerialPort::~SerialPort() { Close(); }

int SerialPort::Fail(int err, int result) {
  error_.code = err;
  return result;
}

int SerialPort::OpenSerialPort(const std::string& portName, int baudCode, int, int parityIndex,
                               int, int) {
  Close();
  std::string path = devices_.SerialPath(portName);
  error_ = {0, path.empty() ? portName : path};
  if (path.empty()) return Fail(ENOENT, -1);
  int err = 0;
  fd_ = posixio::OpenExclusive(path, &err);
  if (!fd_) return Fail(err, -1);

  // Purge failures are ignored, as a device may not support them.
  ::tcflush(fd_.Get(), TCIOFLUSH);
  perByteMs_ = SerialWriteTimeoutPerByteMs(baudCode);

  termios wanted{};
  ::tcgetattr(fd_.Get(), &wanted);
  ApplyLineSettings(wanted, baudCode, parityIndex);
  // The C library reports EINVAL when the device dropped the parity bit;
  // a pseudo-terminal (standing in for a printer) always does, as it
  // carries no parity. Everything else must have been taken as asked.
  termios got{};
  if (::tcsetattr(fd_.Get(), TCSANOW, &wanted) != 0) {
    int err = errno;
    if (err != EINVAL || !IsPseudoTerminal(fd_.Get())) return Fail(err, -2);
  }
  if (::tcgetattr(fd_.Get(), &got) != 0) return Fail(errno, -2);
  if (!LineSettingsTook(wanted, got)) return Fail(EINVAL, -2);

  // Raise DTR and RTS; a device without modem lines refuses, harmlessly.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd_.Get(), TIOCMBIS, &lines);
  return 0;
}

int SerialPort::WriteSerial(const std::uint8_t* data, std::size_t length) {
  if (!fd_) return Fail(EBADF, 0);
  if (length == 0) return 1;
  std::int64_t deadline =
      clock_.NowMs() + static_cast<std::int64_t>(length) * static_cast<std::int64_t>(perByteMs_);
  int err = 0;
  std::size_t n = posixio::WriteUntil(fd_.Get(), data, length, deadline, clock_, &err, &DsrLow);
  return n == length ? 1 : Fail(err, 0);
}

int SerialPort::ReadSerial(std::uint8_t* buffer, std::size_t size) {
  if (!fd_) return Fail(EBADF, 0);
  int err = 0;
  std::size_t n = posixio::ReadBounded(fd_.Get(), buffer, size,
                                       {kSerialReadIntervalMs, kSerialReadTotalMs},
                                       /*dropZeroBytes=*/true, clock_, &err);
  if (err != 0) Fail(err, 0);
  return static_cast<int>(n);
}

int SerialPort::Write(const std::uint8_t* data, std::size_t length) {
  return WriteSerial(data, length);
}
int SerialPort::WriteTimed(const std::uint8_t* data, std::size_t length) {
  return WriteSerial(data, length);
}
int SerialPort::WriteChunked(const std::uint8_t* data, std::size_t length) {
  return WriteSerial(data, length);
}
int SerialPort::Read(std::uint8_t* buffer, std::size_t size) { return ReadSerial(buffer, size); }

// A write returns once the bytes are in the terminal's output queue; the
// job has delivered them only when the line has sent them. TIOCOUTQ tells
// how many still wait; a line that stops sending (flow control held by a
// printer that is off-line) fails after the stall bound.
int SerialPort::Finish() {
  if (!fd_) return Fail(EBADF, 0);
  const int fd = fd_.Get();
  int err = 0;
  if (!posixio::WaitUntilDrained([fd] { return posixio::QueuedOutput(fd); },
                                 kSerialDrainStallLimitMs, clock_, &err)) {
    return Fail(err, 0);
  }
  ::tcdrain(fd);  // the last characters in the line's own buffer
  return 1;
}

void SerialPort::Close() {
  posixio::ReleaseExclusive(fd_.Get());
  fd_.Reset();
}

}  // namespace brindle
