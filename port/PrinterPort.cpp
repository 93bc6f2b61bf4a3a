#include "port/PrinterPort.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "port/PosixIo.h"

namespace brindle {

PrinterPort::PrinterPort(IClock& clock, DeviceDirectory devices)
    : clock_(clock), devices_(std::move(devices)) {}

PrinterPort::~PrinterPort() { Close(); }

int PrinterPort::Fail(int err, int result) {
  error_.code = err;
  return result;
}

void PrinterPort::Close() {
  posixio::ReleaseExclusive(fd_.Get());
  fd_.Reset();
}

int PrinterPort::OpenParallelPort(const std::string& portName) {
  Close();
  std::string path = devices_.ParallelPath(portName);
  error_ = {0, path.empty() ? portName : path};
  if (path.empty()) return Fail(ENOENT, -1);
  int err = 0;
  fd_ = posixio::OpenExclusive(path, &err);
  if (!fd_) return Fail(err, -1);
  // A parallel port may not support purging; that is not an error.
  ::tcflush(fd_.Get(), TCIOFLUSH);
  return 0;
}

int PrinterPort::FindUsbPrinter(std::string& path) {
  // The search's two trace lines, for someone finding out why no printer
  // is found; nobody else wants them on the terminal.
  const char* debug = std::getenv("BRINDLE_DEBUG");
  const bool trace = debug != nullptr && debug[0] != '\0';
  if (trace) std::fputs("_SetupDiGetClassDevs start\n", stderr);
  if (trace) std::fputs("_SetupDiGetClassDevs end\n", stderr);
  // The reason kept is that of the most telling candidate: a busy or
  // forbidden device says more than the absent numbers around it.
  PortError why{ENOENT, devices_.Root() + "/usb/lp*"};
  for (int i = 0; i < kUsbPrinterCount; ++i) {
    std::string candidate = devices_.UsbPrinterPath(i);
    int openErr = 0;
    if (posixio::OpenExclusive(candidate, &openErr)) {
      path = candidate;
      return 1;
    }
    if (openErr != ENOENT) why = {openErr, candidate};
  }
  error_ = why;
  return 0;
}

int PrinterPort::OpenUsbPrinter() {
  // The device held from an earlier job is let go first, or the search
  // below would find it busy.
  Close();
  std::string path;
  if (FindUsbPrinter(path) == 0) return -1;
  error_ = {0, path};
  int err = 0;
  fd_ = posixio::OpenExclusive(path, &err);
  if (!fd_) return Fail(err, -1);
  return 0;
}

int PrinterPort::WritePort(const std::uint8_t* data, std::size_t length) {
  if (!fd_) return Fail(EBADF, 0);
  if (length == 0) return 1;
  int err = 0;
  std::size_t n = posixio::WriteUntil(fd_.Get(), data, length,
                                      clock_.NowMs() + kPrinterWriteLimitMs, clock_, &err);
  return n == length ? 1 : Fail(err, 0);
}

PrinterPort::Piece PrinterPort::WritePiece(const std::uint8_t* data, std::size_t length) {
  // A piece the device does not take at once is pending: poll it every
  // 10 ms, and cancel it once it has been pending for more than 5000 ms.
  std::size_t written = 0;
  std::int64_t pendingSince = -1;
  while (written < length) {
    ssize_t n = ::write(fd_.Get(), data + written, length - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      Fail(errno, 0);
      return {written, false};
    }
    std::int64_t now = clock_.NowMs();
    if (pendingSince < 0) {
      pendingSince = now;
    } else if (now - pendingSince > kPendingPieceLimitMs) {
      Fail(ETIMEDOUT, 0);
      return {written, false};
    }
    clock_.Sleep(kPendingPollMs);
  }
  return {written, true};
}

int PrinterPort::WritePortTimed(const std::uint8_t* data, std::size_t length) {
  if (!fd_) return Fail(EBADF, 0);
  std::size_t done = 0;
  while (done < length) {
    const std::int64_t runStart = clock_.NowMs();
    bool runOk = true;
    for (;;) {
      Piece piece = WritePiece(data + done, std::min(kPieceBytes, length - done));
      done += piece.written;
      runOk = runOk && piece.ok;
      if (piece.ok && done == length) break;
      clock_.Sleep(kPiecePauseMs);
      if (done == length || clock_.NowMs() - runStart >= kTimedRunBudgetMs) break;
    }
    if (!runOk) return 0;
  }
  return 1;
}

int PrinterPort::WritePortChunked(const std::uint8_t* data, std::size_t length) {
  if (!fd_) return Fail(EBADF, 0);
  for (std::size_t done = 0; done < length;) {
    Piece piece = WritePiece(data + done, std::min(kPieceBytes, length - done));
    if (!piece.ok) return 0;
    done += piece.written;
    clock_.Sleep(kPiecePauseMs);
  }
  return 1;
}

int PrinterPort::ReadPort(std::uint8_t* buffer, std::size_t size) {
  if (!fd_) return Fail(EBADF, 0);
  int waiting = 0;
  if (::ioctl(fd_.Get(), FIONREAD, &waiting) != 0 || waiting <= 0) return 0;
  int err = 0;
  std::size_t n = posixio::ReadBounded(fd_.Get(), buffer, size,
                                       {kPrinterReadIntervalMs, kPrinterReadTotalMs},
                                       /*dropZeroBytes=*/false, clock_, &err);
  if (err != 0) {
    Fail(err, 0);
    ::tcflush(fd_.Get(), TCIOFLUSH);
  }
  return static_cast<int>(n);
}

int PrinterPort::Finish() {
  if (!fd_) return Fail(EBADF, 0);
  const int fd = fd_.Get();
  int err = 0;
  const bool drained = posixio::WaitUntilDrained([fd] { return posixio::QueuedOutput(fd); },
                                                 kPrinterDrainStallLimitMs, clock_, &err);
  return drained ? 1 : Fail(err, 0);
}

int PrinterPort::Write(const std::uint8_t* data, std::size_t length) {
  return WritePort(data, length);
}
int PrinterPort::WriteTimed(const std::uint8_t* data, std::size_t length) {
  return WritePortTimed(data, length);
}
int PrinterPort::WriteChunked(const std::uint8_t* data, std::size_t length) {
  return WritePortChunked(data, length);
}
int PrinterPort::Read(std::uint8_t* buffer, std::size_t size) { return ReadPort(buffer, size); }

}  // namespace brindle
