#pragma once
// TCP/IP transport: a raw connection to a network printer at a dotted IPv4
// address and a port (9100 by default), one connection per job.
//
// ConnectTcp tells the user itself why it could not connect, through the
// message interface, with these texts (caption kTcpMessageCaption, OK
// button, exclamation icon):
//   "Create socket error"
//   "Fail to Connection to POSPrinter(IP=%s Port=%d)"
// No other operation shows anything.
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "core/MessageBox.h"
#include "port/Port.h"
#include "port/SocketStack.h"
#include "port/UniqueFd.h"

namespace brindle {

inline constexpr char kTcpMessageCaption[] = "Brindle";
// A connect gives up after kConnectLimitMs; a send fails when the printer
// accepts nothing for kSendStallLimitMs; a receive waits kReceiveLimitMs.
inline constexpr int kConnectLimitMs = 5000;
inline constexpr int kSendStallLimitMs = 10000;
inline constexpr int kReceiveLimitMs = 1000;
// Closing waits at most this long for the printer to close its side.
inline constexpr int kCloseDrainLimitMs = 1000;

// The Port Number text read as a decimal integer (leading white space
// skipped, an optional sign, digits up to the first non-digit; no digits
// gives 0) and cut to its low 16 bits: "9100abc" → 9100, "70000" → 4464,
// "-1" → 65535. Values beyond the 64-bit range saturate before the cut.
std::uint16_t ParseTcpPortNumber(std::string_view text);

class TcpLink final : public IPort {
 public:
  explicit TcpLink(IMessageBox& messages, IClock& clock = SystemClock::Instance(),
                   ISocketStack& stack = PosixSocketStack::Instance());
  ~TcpLink() override;
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  // Connects to `ipText` (dotted IPv4, no host-name look-up) at the port
  // of ParseTcpPortNumber(portText), closing any earlier connection first.
  // Returns 0 connected; -1 not connected, after the message box that says
  // why has been answered, with no socket left open. A text that is not an
  // IPv4 address fails without any traffic.
  int ConnectTcp(const std::string& ipText, const std::string& portText);

  // Sends `length` bytes. Returns 1 when all were accepted, 0 otherwise:
  // the peer closed or reset the connection, or accepted nothing for
  // kSendStallLimitMs (bytes accepted before stay sent).
  int SendTcp(const std::uint8_t* data, std::size_t length);

  // One receive of at most `size` bytes: the count (at least 1), 0 when
  // the peer closed the connection, -1 on a failure or when nothing
  // arrived within kReceiveLimitMs.
  int ReceiveTcp(std::uint8_t* buffer, std::size_t size);

  // The address of the last connect attempt, in network byte order.
  const sockaddr_in& PrinterAddress() const { return address_; }

  // IPort: every write form is SendTcp, Read is ReceiveTcp.
  int Write(const std::uint8_t* data, std::size_t length) override;
  int WriteTimed(const std::uint8_t* data, std::size_t length) override;
  int WriteChunked(const std::uint8_t* data, std::size_t length) override;
  int Read(std::uint8_t* buffer, std::size_t size) override;
  // Ends the connection in order (finish sending, let the printer read to
  // the end and close, at most kCloseDrainLimitMs) and closes the socket.
  void Close() override;
  // Waits until the printer's side has acknowledged every byte sent (for
  // as long as it keeps taking data; 0 after kSendStallLimitMs without
  // progress), then finishes sending and waits for the printer to close
  // its side; 0 when the printer reset the connection instead (it did not
  // read everything).
  int Finish() override;
  bool IsOpen() const override { return socket_.Valid(); }
  PortError LastError() const override { return error_; }

 private:
  void Tell(const std::string& text);
  int ConnectSocket();
  int Fail(int err, int result);

  IMessageBox& messages_;
  int DrainAndShutDown();

  IClock& clock_;
  ISocketStack& stack_;
  UniqueFd socket_;
  bool drained_ = false;  // Finish has already ended the sending side
  sockaddr_in address_{};
  PortError error_;
};

}  // namespace brindle
