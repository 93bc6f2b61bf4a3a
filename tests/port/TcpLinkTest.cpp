// The TCP link against loopback listeners (127.0.0.1 only): connect
// results and their exact messages, the send and receive bounds, and that
// no socket is ever left open.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "support/DeviceFixtures.h"
#include "support/Clocks.h"
#include "port/CheckDevice.h"
#include "port/TcpLink.h"
#include "support/FakeMessageBox.h"

namespace brindle {
namespace {

using namespace test;

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

// A listening socket on 127.0.0.1 at a port the system picks.
class Listener {
 public:
  explicit Listener(int backlog = 8, int receiveBuffer = 0)
      : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(int));
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len);
    ::listen(fd_, backlog);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~Listener() {
    for (int c : accepted_) ::close(c);
    if (fd_ >= 0) ::close(fd_);
  }
  std::uint16_t Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }
  // The next connection that arrives within a second, or -1.
  int Accept() {
    pollfd p{fd_, POLLIN, 0};
    const int c = ::poll(&p, 1, 1000) == 1 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (c >= 0) accepted_.push_back(c);
    return c;
  }
  void CloseListening() {
    ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
  std::uint16_t port_ = 0;
  std::vector<int> accepted_;
};

// Up to `want` bytes, waiting at most a second for each piece.
Bytes ReadSome(int fd, std::size_t want) {
  Bytes out;
  std::uint8_t buf[4096];
  pollfd p{fd, POLLIN, 0};
  for (ssize_t n; out.size() < want && ::poll(&p, 1, 1000) == 1 &&
                  (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) {
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

ShownMessage Box(const std::string& text) {
  return {text, "Brindle", MsgButtons::Ok, MsgIcon::Exclamation};
}
std::string Failed(const std::string& ip, const std::string& port) {
  return "Fail to Connection to POSPrinter(IP=" + ip + " Port=" + port + ")";
}

TEST(TcpPortNumber, ReadsLeadingDecimalAndKeepsLowSixteenBits) {
  const std::pair<const char*, int> cases[] = {
      {"9100", 9100}, {"9100abc", 9100}, {"  9100", 9100}, {"+9100", 9100}, {"", 0},
      {"abc", 0},     {"70000", 4464},   {"65535", 65535}, {"65536", 0},    {"-1", 65535},
      {"-", 0},       {"0x10", 0},       {"\t\n12 34", 12},
      {"99999999999999999999", 65535},  // 10^20 - 1: 2^16 divides 10^20
  };
  for (auto [text, port] : cases) EXPECT_EQ(ParseTcpPortNumber(text), port) << '"' << text << '"';
}

class TcpLinkTest : public ::testing::Test {
 protected:
  // A link connected to `printer`, on `clock`; the printer's side of the
  // connection in `peer`.
  std::unique_ptr<TcpLink> Connect(Listener& printer, IClock& clock, int& peer) {
    auto link = std::make_unique<TcpLink>(messages, clock, stack);
    EXPECT_EQ(link->ConnectTcp("127.0.0.1", printer.PortText()), 0);
    peer = printer.Accept();
    EXPECT_GE(peer, 0);
    return link;
  }
  FakeMessageBox messages;
  ScriptedStack stack;
};

// A working connection, also with port texts read as leading digits cut
// to 16 bits; a connect lets the previous connection go, a failed one
// leaves none, and the link's end closes what a job left open.
TEST_F(TcpLinkTest, ConnectsSendsAndReceivesAndLeavesNoSocketOpen) {
  Listener printer;
  const int before = OpenDescriptorCount();
  ScaledClock clock(20);  // each close waits up to 1000 ms for the printer to finish
  int peer = -1;
  auto link = Connect(printer, clock, peer);
  EXPECT_EQ(OpenDescriptorCount(), before + 2);  // the link's socket and the printer's side
  EXPECT_EQ(ntohs(link->PrinterAddress().sin_port), printer.Port());
  EXPECT_EQ(link->PrinterAddress().sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  const Bytes data = {0x1B, 0x40, 0x1C, 0x71, 0x01};
  EXPECT_EQ(link->SendTcp(data.data(), data.size()), 1);
  EXPECT_EQ(ReadSome(peer, data.size()), data);
  ASSERT_EQ(::send(peer, "\r", 1, 0), 1);
  std::uint8_t buf[50] = {};
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), 1);
  EXPECT_EQ(buf[0], 0x0D);
  const std::string port = printer.PortText();
  for (const std::string& t : {port + "abc", std::to_string(printer.Port() + 65536), " +" + port}) {
    EXPECT_EQ(link->ConnectTcp("127.0.0.1", t), 0) << t;
    EXPECT_GE(printer.Accept(), 0) << t;
  }
  EXPECT_EQ(OpenDescriptorCount(), before + 5);  // one link socket, four printer sides
  EXPECT_EQ(link->ConnectTcp("abc", "1"), -1);
  EXPECT_EQ(OpenDescriptorCount(), before + 4);
  EXPECT_EQ(link->ConnectTcp("127.0.0.1", printer.PortText()), 0);
  link.reset();
  EXPECT_EQ(OpenDescriptorCount(), before + 4);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{Box(Failed("abc", "1"))});
}

// Refused, "abc", an empty address, a name (no look-up), a port text cut
// to 16 bits or read as 0, an address of 300 characters (not cut): each
// shows its exact message and leaves no descriptor open.
TEST_F(TcpLinkTest, ConnectFailuresShowTheirExactMessageAndLeaveNothingOpen) {
  Listener closed;
  closed.CloseListening();  // nothing listens there now: refused
  const std::string longIp(300, '1');
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"127.0.0.1", closed.PortText(), Failed("127.0.0.1", closed.PortText())},
      {"abc", "9100", Failed("abc", "9100")},
      {"", "9100", Failed("", "9100")},
      {"printer.local", "9100", Failed("printer.local", "9100")},
      {"abc", "70000", Failed("abc", "4464")},
      {"127.0.0.1", "x", Failed("127.0.0.1", "0")},
      {longIp, "9100", Failed(longIp, "9100")},
  };
  EXPECT_EQ(Failed("abc", "9100"), "Fail to Connection to POSPrinter(IP=abc Port=9100)");
  const int before = OpenDescriptorCount();
  for (const auto& [ip, port, message] : cases) {
    FakeMessageBox shown;
    TcpLink link(shown, SystemClock::Instance(), stack);
    EXPECT_EQ(link.ConnectTcp(ip, port), -1) << ip;
    EXPECT_EQ(shown.shown, std::vector<ShownMessage>{Box(message)});
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(OpenDescriptorCount(), before);
  }
}

TEST_F(TcpLinkTest, ASocketThatCannotBeCreatedShowsItsMessage) {
  stack.socketFails = true;
  EXPECT_EQ(TcpLink(messages, SystemClock::Instance(), stack).ConnectTcp("127.0.0.1", "9100"), -1);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{Box("Create socket error")});
  EXPECT_EQ(stack.socketsAsked, 1);
}

TEST_F(TcpLinkTest, ConnectGivesUpAfterFiveSeconds) {
  // A listener whose queue is full drops new connection requests, so a
  // connect to it neither succeeds nor is refused.
  Listener full(0);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const sockaddr_in a = Loopback(full.Port());
    ::connect(fillers.back(), reinterpret_cast<const sockaddr*>(&a), sizeof a);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ScaledClock clock(100);  // 5000 ms pass in 50 real ms
  TcpLink link(messages, clock, stack);
  const std::int64_t start = clock.NowMs();
  EXPECT_EQ(link.ConnectTcp("127.0.0.1", full.PortText()), -1);
  EXPECT_GE(clock.NowMs() - start, 5000);
  EXPECT_LT(clock.NowMs() - start, 9000);
  EXPECT_EQ(link.LastError().code, ETIMEDOUT);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{Box(Failed("127.0.0.1", full.PortText()))});
  for (int s : fillers) ::close(s);
}

TEST_F(TcpLinkTest, ReceiveWaitsOneSecondAtMostAndSeesAClosedPeer) {
  Listener printer;
  ScaledClock clock(10);
  int peer = -1;
  auto link = Connect(printer, clock, peer);
  std::uint8_t buf[50] = {};
  const std::int64_t start = clock.NowMs();
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), -1);
  EXPECT_GE(clock.NowMs() - start, 1000);
  EXPECT_LT(clock.NowMs() - start, 1500);
  EXPECT_EQ(link->LastError().code, ETIMEDOUT);
  ::shutdown(peer, SHUT_WR);
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), 0);
}

TEST_F(TcpLinkTest, SendToAPeerThatClosesMidStreamReportsFailure) {
  Listener printer;
  ScaledClock clock(100);
  int peer = -1;
  auto link = Connect(printer, clock, peer);
  const Bytes head(100, 0x11), rest(4 * 1024 * 1024, 0x22);
  ASSERT_EQ(link->SendTcp(head.data(), head.size()), 1);
  const linger reset{1, 0};
  ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(peer);  // a reset; the listener later closes the stale number, harmlessly
  EXPECT_EQ(link->SendTcp(rest.data(), rest.size()), 0);
  const int err = link->LastError().code;
  EXPECT_TRUE(err == ECONNRESET || err == EPIPE) << err;
}

TEST_F(TcpLinkTest, SendToAPeerThatStopsReadingFailsWithinItsBound) {
  Listener printer(8, 4096);
  stack.sendBuffer = 4096;
  ScaledClock clock(100);  // the 10 s stall bound passes in 100 real ms
  int peer = -1;
  auto link = Connect(printer, clock, peer);
  const Bytes data(1024 * 1024, 0x33);
  const std::int64_t start = clock.NowMs();
  EXPECT_EQ(link->SendTcp(data.data(), data.size()), 0);
  EXPECT_GE(clock.NowMs() - start, 10000);
  EXPECT_LT(clock.NowMs() - start, 16000);
  EXPECT_EQ(link->LastError().code, ETIMEDOUT);
}

// A printer that answers at once and reads slowly: the link's close must
// not reset the connection while the answer lies unread in its queue, or
// the printer would lose the end of the stream.
TEST_F(TcpLinkTest, CloseWithAnUnreadReplyLetsThePrinterReadEverything) {
  Listener printer(8, 4096);
  int peer = -1;
  auto link = Connect(printer, SystemClock::Instance(), peer);
  ASSERT_EQ(::send(peer, "\x20", 1, 0), 1);  // a reply the job never reads
  const Bytes data(40000, 0xAA);
  Bytes received;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the job sends first
    received = ReadSome(peer, data.size() + 1);  // up to the link's end of stream
    ::shutdown(peer, SHUT_WR);
  });
  EXPECT_EQ(link->SendTcp(data.data(), data.size()), 1);
  link->Close();
  reader.join();
  EXPECT_EQ(received.size(), data.size());
  EXPECT_FALSE(link->IsOpen());
}

}  // namespace
}  // namespace brindle
