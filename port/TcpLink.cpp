#include "port/TcpLink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "core/Numbers.h"
#include "port/PosixIo.h"

namespace brindle {

std::uint16_t ParseTcpPortNumber(std::string_view text) {
  return static_cast<std::uint16_t>(static_cast<std::uint64_t>(ParseLeadingDecimal(text)) & 0xFFFF);
}

TcpLink::TcpLink(IMessageBox& messages, IClock& clock, ISocketStack& stack)
    : messages_(messages), clock_(clock), stack_(stack) {}

TcpLink::~TcpLink() { Close(); }

int TcpLink::Fail(int err, int result) {
  error_.code = err;
  return result;
}

void TcpLink::Tell(const std::string& text) {
  messages_.Show(text, kTcpMessageCaption, MsgButtons::Ok, MsgIcon::Exclamation);
}

// Bytes that send() accepted are only in this computer's queue until the
// printer's side acknowledges them; a printer that stopped reading leaves
// them there. So the job succeeds only once the count of unacknowledged
// bytes has reached 0 (bytes in the printer's own receive buffer count as
// delivered, as on real hardware), waiting as long as the count falls.
int TcpLink::Finish() {
  if (!socket_) return Fail(ENOTCONN, 0);
  const int fd = socket_.Get();
  int err = 0;
  if (!posixio::WaitUntilDrained([fd] { return posixio::QueuedOutput(fd); }, kSendStallLimitMs,
                                 clock_, &err)) {
    drained_ = true;  // nothing to end in order: the printer takes nothing more
    return Fail(err, 0);
  }
  return DrainAndShutDown();
}

void TcpLink::Close() {
  if (socket_ && !drained_) {
    const PortError why = error_;  // closing keeps the account of the job's failure
    DrainAndShutDown();
    error_ = why;
  }
  drained_ = false;
  socket_.Reset();
}

// Closing a socket whose receive queue still holds bytes (a reply that the
// job did not read) makes the kernel send a reset, and the printer's side
// may then throw away the end of the stream it has not read yet. So the
// link first says it has finished sending, then reads and discards what
// the printer sends until it closes too, for a bounded time. A reset on
// the way means the printer dropped data it had not read: 0.
int TcpLink::DrainAndShutDown() {
  drained_ = true;
  const int fd = socket_.Get();
  if (::shutdown(fd, SHUT_WR) != 0) return Fail(errno, 0);
  const std::int64_t deadline = clock_.NowMs() + kCloseDrainLimitMs;
  std::uint8_t discard[256];
  for (;;) {
    int err = 0;
    const posixio::WaitResult w = posixio::WaitFor(fd, POLLIN, deadline, clock_, &err);
    if (w == posixio::WaitResult::TimedOut) return 1;  // still open: nothing known to be lost
    if (w == posixio::WaitResult::Failed) return Fail(err, 0);
    const ssize_t n = ::recv(fd, discard, sizeof discard, 0);
    if (n == 0) return 1;  // the printer closed its side after reading everything
    if (n < 0 && errno != EINTR && errno != EAGAIN) return Fail(errno, 0);
  }
}

int TcpLink::ConnectTcp(const std::string& ipText, const std::string& portText) {
  Close();
  const std::uint16_t port = ParseTcpPortNumber(portText);
  error_ = {0, ipText + ":" + std::to_string(port)};

  socket_.Reset(stack_.CreateStreamSocket());
  if (!socket_) {
    int err = errno;
    Tell("Create socket error");
    Close();
    return Fail(err, -1);
  }

  address_ = {};
  address_.sin_family = AF_INET;
  address_.sin_port = htons(port);
  address_.sin_addr.s_addr = ::inet_addr(ipText.c_str());
  if (ConnectSocket() != 0) {
    Close();
    // Built by concatenation, so that a long address text is never cut.
    Tell("Fail to Connection to POSPrinter(IP=" + ipText + " Port=" + std::to_string(port) + ")");
    return -1;
  }
  return 0;
}

int TcpLink::ConnectSocket() {
  // A text that is not a dotted address gives INADDR_NONE; no connect is
  // tried, so nothing goes to the broadcast address.
  if (address_.sin_addr.s_addr == INADDR_NONE) return Fail(EDESTADDRREQ, -1);
  // The socket is non-blocking from here on: the connect and every send
  // and receive wait through poll() with their own bounds.
  int fd = socket_.Get();
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) == 0) return 0;
  if (errno != EINPROGRESS) return Fail(errno, -1);
  int err = 0;
  posixio::WaitResult w =
      posixio::WaitFor(fd, POLLOUT, clock_.NowMs() + kConnectLimitMs, clock_, &err);
  if (w == posixio::WaitResult::TimedOut) return Fail(ETIMEDOUT, -1);
  if (w == posixio::WaitResult::Failed) return Fail(err, -1);
  socklen_t len = sizeof err;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return Fail(errno, -1);
  return err == 0 ? 0 : Fail(err, -1);
}

int TcpLink::SendTcp(const std::uint8_t* data, std::size_t length) {
  if (!socket_) return Fail(ENOTCONN, 0);
  std::size_t done = 0;
  while (done < length) {
    // MSG_NOSIGNAL: a peer that has gone away is an error result, not a
    // signal that ends the program.
    ssize_t n = ::send(socket_.Get(), data + done, length - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Fail(errno, 0);
    // The stall bound restarts whenever the printer takes some data.
    int err = 0;
    posixio::WaitResult w =
        posixio::WaitFor(socket_.Get(), POLLOUT, clock_.NowMs() + kSendStallLimitMs, clock_, &err);
    if (w == posixio::WaitResult::TimedOut) return Fail(ETIMEDOUT, 0);
    if (w == posixio::WaitResult::Failed) return Fail(err, 0);
  }
  return 1;
}

int TcpLink::ReceiveTcp(std::uint8_t* buffer, std::size_t size) {
  if (!socket_) return Fail(ENOTCONN, -1);
  const std::int64_t deadline = clock_.NowMs() + kReceiveLimitMs;
  for (;;) {
    int err = 0;
    posixio::WaitResult w = posixio::WaitFor(socket_.Get(), POLLIN, deadline, clock_, &err);
    if (w == posixio::WaitResult::TimedOut) return Fail(ETIMEDOUT, -1);
    if (w == posixio::WaitResult::Failed) return Fail(err, -1);
    ssize_t n = ::recv(socket_.Get(), buffer, size, 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR && errno != EAGAIN) return Fail(errno, -1);
  }
}

int TcpLink::Write(const std::uint8_t* data, std::size_t length) { return SendTcp(data, length); }
int TcpLink::WriteTimed(const std::uint8_t* data, std::size_t length) {
  return SendTcp(data, length);
}
int TcpLink::WriteChunked(const std::uint8_t* data, std::size_t length) {
  return SendTcp(data, length);
}
int TcpLink::Read(std::uint8_t* buffer, std::size_t size) { return ReceiveTcp(buffer, size); }

}  // namespace brindle
