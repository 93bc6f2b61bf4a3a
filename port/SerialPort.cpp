#include "port/SerialPort.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "port/PosixIo.h"

namespace brindle {

namespace {

// Baud codes 3..10 of the port settings and their line rates.
constexpr speed_t kRates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};

void ApplyLineSettings(termios& t, int baudCode, int parityIndex) {
  if (baudCode >= 3 && baudCode <= 10) {
    cfsetispeed(&t, kRates[baudCode - 3]);
    cfsetospeed(&t, kRates[baudCode - 3]);
  }
  t.c_cflag &= ~(CSIZE | CSTOPB);
  t.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
  // The parity list is ordered NONE, EVEN, ODD.
  switch (parityIndex) {
    case 0: t.c_cflag &= ~(PARENB | PARODD | CMSPAR); break;
    case 1: t.c_cflag = (t.c_cflag & ~(PARODD | CMSPAR)) | PARENB; break;
    case 2: t.c_cflag = (t.c_cflag & ~CMSPAR) | PARENB | PARODD; break;
    default: break;
  }
  // Binary mode: no input parity checking or marking, no character
  // translation, no XON/XOFF on output. IXOFF keeps its setting.
  t.c_iflag &= ~(INPCK | PARMRK | ISTRIP | IGNBRK | BRKINT | INLCR | IGNCR | ICRNL | IXON | IXANY);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

// tcsetattr succeeds when any part of a request was applied, so the
// settings that matter on the wire are read back and compared.
bool LineSettingsTook(const termios& wanted, const termios& got) {
  constexpr tcflag_t kFraming = CSIZE | CSTOPB | PARENB | PARODD;
  return (wanted.c_cflag & kFraming) == (got.c_cflag & kFraming) &&
         cfgetospeed(&wanted) == cfgetospeed(&got) && cfgetispeed(&wanted) == cfgetispeed(&got);
}

// DSR output flow control: hold off while the device reports DSR low. A
// device without modem lines (the ioctl fails) never holds off.
bool DsrLow(int fd) {
  int lines = 0;
  if (::ioctl(fd, TIOCMGET, &lines) != 0) return false;
  return (lines & TIOCM_DSR) == 0;
}

}  // namespace

int SerialWriteTimeoutPerByteMs(int baudCode) {
  if (baudCode < 1) baudCode = 3;
  int ms = 76800 / baudCode;
  return ms < 1 ? 1 : ms;
}

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
  termios got{};
  if (::tcsetattr(fd_.Get(), TCSANOW, &wanted) != 0) return Fail(errno, -2);
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

void SerialPort::Close() {
  posixio::ReleaseExclusive(fd_.Get());
  fd_.Reset();
}

}  // namespace brindle
