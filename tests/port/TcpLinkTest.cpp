// The TCP link against loopback listeners, its bounds on scaled clocks.
#include <gtest/gtest.h>

#include <thread>

#include "port/CheckDevice.h"
#include "port/TcpLink.h"
#include "support/Clocks.h"
#include "support/DeviceFixtures.h"
#include "support/FakeMessageBox.h"
#include "support/Peers.h"

namespace brindle {
namespace {

using namespace test;

std::string Failed(const std::string& ip, const std::string& port) {
  return "Fail to Connection to POSPrinter(IP=" + ip + " Port=" + port + ")";
}

// Refused, not dotted (no look-up), port cut to 16 bits, long address, full
// listen queue (5 s), no socket: each shows its message, leaves nothing open.
TEST(TcpLink, ConnectFailuresShowTheirExactMessageAndLeaveNothingOpen) {
  UniqueSocket refusing, full;
  const std::string refused = std::to_string(refusing.Bind()), longIp(300, '1');
  const int q = full.Listen(0, 0);
  const std::string queued = std::to_string(q);
  std::vector<UniqueFd> fillers;
  for (int i = 0; i < 4; ++i) {
    fillers.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const sockaddr_in a{AF_INET, htons(std::uint16_t(q)), {htonl(INADDR_LOOPBACK)}, {}};
    ::connect(fillers.back().Get(), reinterpret_cast<const sockaddr*>(&a), sizeof a);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"127.0.0.1", refused, Failed("127.0.0.1", refused)},
      {"printer.local", "9100", "Fail to Connection to POSPrinter(IP=printer.local Port=9100)"},
      {longIp, "70000", Failed(longIp, "4464")},
      {"127.0.0.1", queued + "x", Failed("127.0.0.1", queued)},
      {"127.0.0.1", "", "Create socket error"},
  };
  const int before = OpenDescriptorCount();
  for (const auto& [ip, port, message] : cases) {
    FakeMessageBox shown;
    ScriptedStack stack;
    stack.socketFails = port.empty();
    ScaledClock clock(100);
    TcpLink link(shown, clock, stack);
    const std::int64_t start = clock.NowMs();
    EXPECT_EQ(link.ConnectTcp(ip, port), -1) << ip;
    const std::int64_t took = clock.NowMs() - start;
    EXPECT_TRUE(port == queued + "x" ? took >= 5000 && took < 9000 : took < 1000) << took;
    const ShownMessage box = {message, "Brindle", MsgButtons::Ok, MsgIcon::Exclamation};
    EXPECT_EQ(shown.shown, std::vector<ShownMessage>{box});
    EXPECT_EQ(OpenDescriptorCount(), before);
  }
}

class TcpLinkTest : public ::testing::Test {
 protected:
  // A link on `clock` connected to `printer`, whose side is `peer`.
  std::unique_ptr<TcpLink> Connect(IClock& clock, int receiveBuffer = 0) {
    printer.Close();
    port = std::to_string(printer.Listen(receiveBuffer));
    auto link = std::make_unique<TcpLink>(messages, clock, stack);
    EXPECT_EQ(link->ConnectTcp("127.0.0.1", port), 0);
    peer = printer.Accept();
    return link;
  }
  FakeMessageBox messages;
  ScriptedStack stack;
  UniqueSocket printer;
  std::string port;
  int peer = -1;
};

// Bytes go both ways; a receive waits 1 s at most and sees a close; a new
// connect and the link's end close what was open.
TEST_F(TcpLinkTest, ConnectsSendsAndReceivesAndLeavesNoSocketOpen) {
  const int before = OpenDescriptorCount();
  ScaledClock clock(10);
  auto link = Connect(clock);
  std::uint8_t buf[50] = {};
  EXPECT_EQ(link->SendTcp(kDeviceCheckRequest, 3), 1);
  EXPECT_EQ(::recv(peer, buf, sizeof buf, 0), 3);
  EXPECT_EQ(::send(peer, "\r", 1, 0), 1);
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), 1);
  EXPECT_EQ(buf[0], 0x0D);
  const std::int64_t start = clock.NowMs();
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), -1);
  EXPECT_GE(clock.NowMs() - start, 1000);
  EXPECT_LT(clock.NowMs() - start, 1500);
  ::shutdown(peer, SHUT_WR);
  EXPECT_EQ(link->ReceiveTcp(buf, sizeof buf), 0);
  EXPECT_EQ(link->ConnectTcp("127.0.0.1", std::to_string(std::stoi(port) + 65536)), 0);
  EXPECT_GE(printer.Accept(), 0);
  EXPECT_EQ(OpenDescriptorCount(), before + 4);  // listener, link, two printer sides
  link.reset();
  EXPECT_EQ(OpenDescriptorCount(), before + 3);
}

// A printer that stops reading fails a send after 10 s, and a finish whose
// bytes it never acknowledged.
TEST_F(TcpLinkTest, SendAndFinishFailWhenThePrinterStopsReading) {
  ScaledClock clock(100);  // 10 s pass in 100 real ms
  for (int sendBuffer : {4096, 65536}) {
    stack.sendBuffer = sendBuffer;
    auto link = Connect(clock, 4096);
    const Bytes data(sendBuffer == 4096 ? 1024 * 1024 : 32 * 1024, 0x33);
    const std::int64_t start = clock.NowMs();
    EXPECT_EQ(link->SendTcp(data.data(), data.size()), sendBuffer == 4096 ? 0 : 1);
    EXPECT_TRUE(sendBuffer == 4096 || link->Finish() == 0);
    EXPECT_GE(clock.NowMs() - start, 10000);
    EXPECT_LT(clock.NowMs() - start, 16000);
    EXPECT_EQ(link->LastError().code, ETIMEDOUT);
  }
}

// Finishing with an answer unread must not reset the connection, or a slow
// printer would lose the end of the stream.
TEST_F(TcpLinkTest, FinishesInOrderWithAnUnreadReply) {
  auto link = Connect(SystemClock::Instance(), 4096);
  ASSERT_EQ(::send(peer, "\x20", 1, 0), 1);
  const Bytes data(40000, 0xAA);
  std::size_t received = 0;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::uint8_t buf[4096];
    for (ssize_t n; (n = ::recv(peer, buf, sizeof buf, 0)) > 0;) received += std::size_t(n);
    ::shutdown(peer, SHUT_WR);
  });
  EXPECT_EQ(link->SendTcp(data.data(), data.size()), 1);
  EXPECT_EQ(link->Finish(), 1);
  link->Close();
  reader.join();
  EXPECT_EQ(received, data.size());
}

}  // namespace
}  // namespace brindle
