// The TCP link against loopback listeners (127.0.0.1 only): connect
// results and their exact messages, the send and receive bounds, and that
// no socket is ever left open.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <thread>

#include "DeviceFixtures.h"
#include "TestClocks.h"
#include "port/CheckDevice.h"
#include "port/TcpLink.h"
#include "support/FakeMessageBox.h"

namespace brindle {
namespace {

using test::FakeMessageBox;
using test::OpenDescriptorCount;
using test::ScaledClock;
using test::ShownMessage;
using Bytes = std::vector<std::uint8_t>;

// A listening socket on 127.0.0.1 at a port the system picks.
class Listener {
 public:
  explicit Listener(int backlog = 8, int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, backlog);
    socklen_t len = sizeof a;
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
    if (::poll(&p, 1, 1000) != 1) return -1;
    int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c >= 0) accepted_.push_back(c);
    return c;
  }
  void CloseListening() {
    ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::vector<int> accepted_;
};

Bytes ReadSome(int fd, std::size_t want) {
  Bytes out;
  std::uint8_t buf[4096];
  while (out.size() < want) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) != 1) break;
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

ShownMessage Box(const std::string& text) {
  return {text, "Brindle", MsgButtons::Ok, MsgIcon::Exclamation};
}

// A stack whose start-up, version, shutdown and socket creation a test sets.
class ScriptedStack final : public ISocketStack {
 public:
  int Startup(std::uint16_t, std::uint16_t* granted) override {
    *granted = version;
    if (startupFails) return 1;
    ++startups;
    return 0;
  }
  int Cleanup() override {
    ++cleanups;
    return cleanupFails ? 1 : 0;
  }
  int LastError() const override { return 10093; }
  int CreateStreamSocket() override {
    ++socketsAsked;
    if (socketFails) {
      errno = EMFILE;
      return -1;
    }
    int fd = PosixSocketStack::Instance().CreateStreamSocket();
    if (sendBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return fd;
  }
  std::uint16_t version = 0x0202;
  bool startupFails = false, cleanupFails = false, socketFails = false;
  int startups = 0, cleanups = 0, socketsAsked = 0, sendBuffer = 0;
};

TEST(TcpPortNumber, ReadsLeadingDecimalAndKeepsLowSixteenBits) {
  const std::pair<const char*, int> cases[] = {
      {"9100", 9100},  {"9100abc", 9100}, {"  9100", 9100},  {"+9100", 9100},  {"", 0},
      {"abc", 0},      {"70000", 4464},   {"65535", 65535},  {"65536", 0},     {"-1", 65535},
      {"-", 0},        {"0x10", 0},       {"\t\n12 34", 12},
      // 10^20 - 1: 2^16 divides 10^20, so the low 16 bits are all ones.
      {"99999999999999999999", 65535},
  };
  for (auto [text, port] : cases) {
    EXPECT_EQ(ParseTcpPortNumber(text), port) << '"' << text << '"';
  }
}

// Property: for arbitrary texts of blanks, signs, digits and letters the
// port equals strtoll's reading of the text, cut to 16 bits (texts of up to
// 18 digits, where strtoll cannot overflow).
TEST(TcpPortNumberProperty, MatchesTheCLibraryReadingCutToSixteenBits) {
  std::mt19937 rng(9100);
  const std::string alphabet = " \t+-0123456789abc.";
  std::uniform_int_distribution<std::size_t> len(0, 18), pick(0, alphabet.size() - 1);
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    for (std::size_t n = len(rng); n > 0; --n) text += alphabet[pick(rng)];
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    auto expected = static_cast<std::uint16_t>(static_cast<unsigned long long>(value) & 0xFFFF);
    ASSERT_EQ(ParseTcpPortNumber(text), expected) << '"' << text << '"';
  }
}

class TcpLinkTest : public ::testing::Test {
 protected:
  FakeMessageBox messages;
  ScriptedStack stack;
};

TEST_F(TcpLinkTest, ConnectsSendsAndReceivesWithoutMessages) {
  Listener printer;
  TcpLink link(messages, SystemClock::Instance(), stack);
  ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(ntohs(link.PrinterAddress().sin_port), printer.Port());
  EXPECT_EQ(link.PrinterAddress().sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  int peer = printer.Accept();
  ASSERT_GE(peer, 0);
  const Bytes data = {0x1B, 0x40, 0x1C, 0x71, 0x01};
  EXPECT_EQ(link.SendTcp(data.data(), data.size()), 1);
  EXPECT_EQ(ReadSome(peer, data.size()), data);
  ASSERT_EQ(::send(peer, "\r", 1, 0), 1);
  std::uint8_t buf[50] = {};
  EXPECT_EQ(link.ReceiveTcp(buf, sizeof buf), 1);
  EXPECT_EQ(buf[0], 0x0D);
  EXPECT_TRUE(messages.shown.empty());
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(stack.startups, stack.cleanups);
}

TEST_F(TcpLinkTest, ConnectFailuresShowTheirExactMessageAndLeaveNothingOpen) {
  Listener closed;
  closed.CloseListening();  // nothing listens there now: refused
  const std::string longIp(300, '1');
  struct Case {
    std::string ip, port, message;
  };
  const Case cases[] = {
      {"127.0.0.1", closed.PortText(),
       "Fail to Connection to POSPrinter(IP=127.0.0.1 Port=" + closed.PortText() + ")"},
      {"abc", "9100", "Fail to Connection to POSPrinter(IP=abc Port=9100)"},
      {"", "9100", "Fail to Connection to POSPrinter(IP= Port=9100)"},
      {"printer.local", "9100", "Fail to Connection to POSPrinter(IP=printer.local Port=9100)"},
      {"abc", "70000", "Fail to Connection to POSPrinter(IP=abc Port=4464)"},
      {"127.0.0.1", "x", "Fail to Connection to POSPrinter(IP=127.0.0.1 Port=0)"},
      {longIp, "9100", "Fail to Connection to POSPrinter(IP=" + longIp + " Port=9100)"},
  };
  const int before = OpenDescriptorCount();
  for (const Case& c : cases) {
    FakeMessageBox shown;
    TcpLink link(shown, SystemClock::Instance(), stack);
    EXPECT_EQ(link.ConnectTcp(c.ip, c.port), -1) << c.ip;
    EXPECT_EQ(shown.shown, std::vector<ShownMessage>{Box(c.message)});
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(OpenDescriptorCount(), before);
  }
  EXPECT_EQ(stack.startups, stack.cleanups);
}

TEST_F(TcpLinkTest, PortTextIsReadAsLeadingDigitsCutToSixteenBits) {
  Listener printer;
  for (const std::string& text : {printer.PortText() + "abc", std::to_string(printer.Port() + 65536),
                                  " +" + printer.PortText()}) {
    TcpLink link(messages, SystemClock::Instance(), stack);
    EXPECT_EQ(link.ConnectTcp("127.0.0.1", text), 0) << text;
    EXPECT_GE(printer.Accept(), 0) << text;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TcpLinkTest, StackFailuresShowTheirMessagesAndCreateNoSocket) {
  struct Case {
    bool startupFails;
    std::uint16_t version;
    bool cleanupFails, socketFails;
    std::vector<ShownMessage> messages;
    int socketsAsked;
  };
  const Case cases[] = {
      {true, 0x0202, false, false, {Box("Unable to start TCP/IP stack")}, 0},
      {false, 0x0101, false, false, {Box("wrong version of protocol stack, need 2.0")}, 0},
      {false, 0x0002, true, false,
       {Box("wrong version of protocol stack, need 2.0"), Box("WSACleanup, error 10093")}, 0},
      {false, 0x0202, false, true, {Box("Create socket error")}, 1},
  };
  for (const Case& c : cases) {
    ScriptedStack s;
    s.startupFails = c.startupFails;
    s.version = c.version;
    s.cleanupFails = c.cleanupFails;
    s.socketFails = c.socketFails;
    FakeMessageBox shown;
    TcpLink link(shown, SystemClock::Instance(), s);
    EXPECT_EQ(link.ConnectTcp("127.0.0.1", "9100"), -1);
    EXPECT_EQ(shown.shown, c.messages);
    EXPECT_EQ(s.socketsAsked, c.socketsAsked);
    EXPECT_EQ(s.cleanups, s.startupFails ? 0 : 1);  // every started stack is shut down
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST_F(TcpLinkTest, ConnectGivesUpAfterFiveSeconds) {
  // A listener whose queue is full drops new connection requests, so a
  // connect to it neither succeeds nor is refused.
  Listener full(0);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(full.Port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(s);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ScaledClock clock(100);  // 5000 ms pass in 50 real ms
  TcpLink link(messages, clock, stack);
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(link.ConnectTcp("127.0.0.1", full.PortText()), -1);
  std::int64_t took = clock.NowMs() - start;
  EXPECT_GE(took, 5000);
  EXPECT_LT(took, 9000);
  EXPECT_EQ(link.LastError().code, ETIMEDOUT);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{Box(
                                "Fail to Connection to POSPrinter(IP=127.0.0.1 Port=" +
                                full.PortText() + ")")});
  for (int s : fillers) ::close(s);
}

TEST_F(TcpLinkTest, ReceiveWaitsOneSecondAtMostAndSeesAClosedPeer) {
  Listener printer;
  ScaledClock clock(10);
  TcpLink link(messages, clock, stack);
  ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  int peer = printer.Accept();
  ASSERT_GE(peer, 0);
  std::uint8_t buf[50] = {};
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(link.ReceiveTcp(buf, sizeof buf), -1);
  std::int64_t took = clock.NowMs() - start;
  EXPECT_GE(took, 1000);
  EXPECT_LT(took, 1500);
  EXPECT_EQ(link.LastError().code, ETIMEDOUT);
  ::shutdown(peer, SHUT_WR);
  EXPECT_EQ(link.ReceiveTcp(buf, sizeof buf), 0);
}

TEST_F(TcpLinkTest, SendToAPeerThatClosesMidStreamReportsFailure) {
  Listener printer;
  ScaledClock clock(100);
  TcpLink link(messages, clock, stack);
  ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  int peer = printer.Accept();
  ASSERT_GE(peer, 0);
  const Bytes head(100, 0x11);
  ASSERT_EQ(link.SendTcp(head.data(), head.size()), 1);
  linger reset{1, 0};
  ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(peer);  // leaves the Listener's list holding a closed number; harmless
  const Bytes rest(4 * 1024 * 1024, 0x22);
  EXPECT_EQ(link.SendTcp(rest.data(), rest.size()), 0);
  int err = link.LastError().code;
  EXPECT_TRUE(err == ECONNRESET || err == EPIPE) << err;
}

TEST_F(TcpLinkTest, SendToAPeerThatStopsReadingFailsWithinItsBound) {
  Listener printer(8, 4096);
  stack.sendBuffer = 4096;
  ScaledClock clock(100);  // the 10 s stall bound passes in 100 real ms
  TcpLink link(messages, clock, stack);
  ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  ASSERT_GE(printer.Accept(), 0);
  const Bytes data(1024 * 1024, 0x33);
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(link.SendTcp(data.data(), data.size()), 0);
  std::int64_t took = clock.NowMs() - start;
  EXPECT_GE(took, 10000);
  EXPECT_LT(took, 16000);
  EXPECT_EQ(link.LastError().code, ETIMEDOUT);
}

TEST_F(TcpLinkTest, NoSocketOutlivesItsJob) {
  Listener printer;
  const int before = OpenDescriptorCount();
  {
    TcpLink link(messages, SystemClock::Instance(), stack);
    ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    // Connecting again lets the first connection go.
    ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    EXPECT_EQ(link.ConnectTcp("abc", "1"), -1);
    EXPECT_EQ(OpenDescriptorCount(), before);
    ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  }  // the destructor closes what a job left open
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_EQ(stack.startups, stack.cleanups);
}

TEST_F(TcpLinkTest, DeviceCheckReadsAReplyOnlyForThermalJobs) {
  struct Case {
    int code, syncIo;
    std::string reply;  // "-" : the printer closes instead of answering
    int expected;
  };
  const Case cases[] = {{0, 1, "\r", 1}, {0, 1, " ", 1}, {0, 1, "A", 0}, {0, 1, "", 0},
                        {0, 0, "A", 1},  {0, 0, "", 1},  {0, 1, "-", 0}, {1, 1, "", 1},
                        {3, 1, "", 1}};
  for (const Case& c : cases) {
    Listener printer;
    ScaledClock clock(20);
    TcpLink link(messages, clock, stack);
    ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
    int peer = printer.Accept();
    ASSERT_GE(peer, 0);
    if (c.reply == "-") {
      ::shutdown(peer, SHUT_WR);
    } else if (!c.reply.empty()) {
      ASSERT_EQ(::send(peer, c.reply.data(), c.reply.size(), 0), 1);
    }
    std::int64_t start = clock.NowMs();
    EXPECT_EQ(CheckDevice(link, c.code, c.syncIo), c.expected)
        << "code " << c.code << " syncIo " << c.syncIo << " reply '" << c.reply << "'";
    if (c.code != 0) {
      EXPECT_LT(clock.NowMs() - start, 500);  // no wait for a reply
    }
    EXPECT_EQ(ReadSome(peer, 3), (Bytes{0x1D, 0x49, 0x01}));
  }
}

}  // namespace
}  // namespace brindle

namespace brindle {
namespace {

// A printer that answers at once and reads slowly: the link's close must
// not reset the connection while the answer lies unread in its queue, or
// the printer would lose the end of the stream.
TEST_F(TcpLinkTest, CloseWithAnUnreadReplyLetsThePrinterReadEverything) {
  Listener printer(8, 4096);
  TcpLink link(messages, SystemClock::Instance(), stack);
  ASSERT_EQ(link.ConnectTcp("127.0.0.1", printer.PortText()), 0);
  const int peer = printer.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_EQ(::send(peer, "\x20", 1, 0), 1);  // a reply the job never reads
  const Bytes data(40000, 0xAA);
  Bytes received;
  std::thread reader([&] {
    ::usleep(100000);  // the job finishes sending before the printer reads
    received = ReadSome(peer, data.size() + 1);  // up to the link's end of stream
    ::shutdown(peer, SHUT_WR);
  });
  EXPECT_EQ(link.SendTcp(data.data(), data.size()), 1);
  link.Close();
  reader.join();
  EXPECT_EQ(received.size(), data.size());
  EXPECT_FALSE(link.IsOpen());
}

}  // namespace
}  // namespace brindle
