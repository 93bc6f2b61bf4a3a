// The transports on pseudo-terminals and FIFOs reached through a test device
// directory ("COM3" → <dir>/ttyS2 → /dev/pts/N) and on loopback sockets,
// their bounds on fake and scaled clocks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <thread>

#include "port/CheckDevice.h"
#include "port/PosixIo.h"
#include "port/PrinterPort.h"
#include "port/SerialPort.h"
#include "port/TcpLink.h"
#include "support/Clocks.h"
#include "support/DeviceFixtures.h"
#include "support/FakeMessageBox.h"
#include "support/Peers.h"

namespace brindle {
namespace {

using namespace test;

// "COMn" and "LPTn" (n 1 to 255, no leading zero) lead to ttyS<n-1> and
// lp<n-1> under the root, $BRINDLE_DEVICE_DIR if set and not empty; other
// names lead nowhere. A port error reads "<device or port>: <cause>".
TEST(DeviceDirectory, MapsPortNamesUnderItsRoot) {
  const DeviceDirectory dev("/d/");
  const std::pair<const char*, const char*> names[] = {
      {"COM1", "/d/ttyS0"}, {"COM255", "/d/ttyS254"}, {"LPT2", "/d/lp1"}, {"COM0", ""},
      {"COM01", ""},        {"COM256", ""},           {"COM", ""},        {"COM1x", ""},
      {"com1", ""},         {"LPT0", ""},             {"LPT1 ", ""},        {"COM1:", ""},
      {"COM19", "/d/ttyS18"},
  };
  for (auto [name, path] : names) {
    EXPECT_EQ(name[0] == 'L' ? dev.ParallelPath(name) : dev.SerialPath(name), path) << name;
  }
  EXPECT_EQ(dev.SerialPath("LPT1") + dev.ParallelPath("COM1"), "");
  setenv("BRINDLE_DEVICE_DIR", "/e", 1);
  EXPECT_EQ(DeviceDirectory::FromEnvironment().UsbPrinterPath(1), "/e/usb/lp1");
  setenv("BRINDLE_DEVICE_DIR", "", 1);
  EXPECT_EQ(DeviceDirectory::FromEnvironment().Root(), "/dev");
  unsetenv("BRINDLE_DEVICE_DIR");
  EXPECT_EQ(DeviceDirectory::FromEnvironment().Root(), "/dev");
  EXPECT_EQ(DescribePortError({0, ""}) + DescribePortError({EACCES, "/d"}),
            "port: no error/d: Permission denied");
}

// Draining goes on while the queue shrinks, fails after 10 s without; -1 ends.
TEST(SerialDrain, WaitsWhileTheQueueShrinksAndFailsWhenItStalls) {
  const std::tuple<long (*)(std::int64_t), std::int64_t, int> cases[] = {
      {[](std::int64_t) { return -1L; }, 0, 0},
      {[](std::int64_t t) { return std::max(0L, 300 - long(t)); }, 300, 0},
      {[](std::int64_t t) { return t < 9990 ? 2L : t < 19980 ? 1L : 0L; }, 19980, 0},
      {[](std::int64_t t) { return t < 5000 ? 500 - long(t) / 10 : 1L; }, 14990, ETIMEDOUT},
  };
  for (const auto& [queue, endsAt, error] : cases) {
    FakeClock clock;
    int err = 0;
    const auto queued = [&] { return queue(clock.now); };
    EXPECT_EQ(posixio::WaitUntilDrained(queued, kSerialDrainStallLimitMs, clock, &err), !error);
    EXPECT_EQ(clock.now, endsAt);
    EXPECT_EQ(err, error);
  }
}

// Each baud code and parity on the terminal (which drops parity) and on all
// flags clear and set: 8N1, CTS flow, raw, input XON/XOFF kept. Code 11 and
// parity 3 keep rate and parity.
TEST(SerialPort, AppliesTheLineSettings) {
  TempDir dir;
  Pty pty;
  MakeDevice(dir, "ttyS2", pty.SlavePath());
  SerialPort port(SystemClock::Instance(), DeviceDirectory(dir.str()));
  const speed_t rates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};
  const tcflag_t parities[] = {0, PARENB, PARENB | PARODD};
  for (int code = 3, parity = 0; code <= 10; parity = (parity + 1) % 3, code += !parity) {
    ASSERT_EQ(port.OpenSerialPort("COM3", code, 0, parity, 0, 0), 0);
    termios t[3] = {};
    t[1].c_iflag = t[1].c_oflag = t[1].c_lflag = ~tcflag_t{0};
    t[1].c_cflag = ~tcflag_t{CBAUD};
    t[0].c_cc[VMIN] = t[1].c_cc[VTIME] = 5;
    ApplyLineSettings(t[0], code, parity);
    ApplyLineSettings(t[1], code, parity);
    tcgetattr(pty.Master(), &t[2]);
    for (const termios& s : t) {
      EXPECT_EQ(cfgetospeed(&s) + cfgetispeed(&s), 2 * rates[code - 3]) << code << parity;
      EXPECT_EQ(s.c_cflag & (CSIZE | CSTOPB | CRTSCTS | CREAD | CLOCAL | PARODD),
                CS8 | CRTSCTS | CREAD | CLOCAL | (parities[parity] & PARODD));
      EXPECT_EQ(s.c_iflag & (INPCK | PARMRK | ISTRIP | IXON | ICRNL | INLCR | IGNCR | BRKINT), 0u);
      EXPECT_EQ(s.c_iflag & IXOFF, &s == &t[1] ? IXOFF : 0u);
      EXPECT_EQ(s.c_oflag & OPOST, 0u);
      EXPECT_EQ(s.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
      EXPECT_EQ(s.c_cc[VMIN] + s.c_cc[VTIME], 0);
      EXPECT_TRUE(&s == &t[2] || (s.c_cflag & (PARENB | PARODD | CMSPAR)) == parities[parity]);
    }
  }
  termios t{};
  tcgetattr(pty.Master(), &t);
  cfsetspeed(&t, B4800);
  t.c_cflag |= PARODD;
  tcsetattr(pty.Master(), TCSANOW, &t);
  ASSERT_EQ(port.OpenSerialPort("COM3", 11, 0, 3, 0, 0), 0);
  tcgetattr(pty.Master(), &t);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
  EXPECT_NE(t.c_cflag & PARODD, 0u);
}

// Opens are exclusive; "COM10" is ttyS9; missing: -1, no settings: -2. A
// stalled write fails after 76,800 / code ms a byte; a read ends 10 ms after
// the last byte or after 100 ms, dropping 0x00 (a check answered 00 20 passes).
TEST(SerialPort, OpensExclusivelyAndWritesAndReadsWithinBounds) {
  TempDir dir;
  Pty pty, ten;
  MakeDevice(dir, "ttyS2", pty.SlavePath());
  MakeDevice(dir, "ttyS9", ten.SlavePath());
  dir.Write("ttyS4", "not a terminal");
  ScaledClock clock(1e7);
  SerialPort port(clock, DeviceDirectory(dir.str())), other(clock, DeviceDirectory(dir.str()));
  ASSERT_EQ(port.OpenSerialPort("COM3", 3, 0, 0, 0, 0), 0);
  EXPECT_EQ(other.OpenSerialPort("COM3", 3, 0, 0, 0, 0), -1);
  EXPECT_EQ(other.LastError().code, EBUSY);
  EXPECT_EQ(other.LastError().device, dir.File("ttyS2"));
  EXPECT_EQ(other.OpenSerialPort("COM4", 3, 0, 0, 0, 0), -1);
  EXPECT_EQ(other.OpenSerialPort("COM5", 3, 0, 0, 0, 0), -2);
  ASSERT_EQ(other.OpenSerialPort("COM10", 3, 0, 0, 0, 0), 0);
  EXPECT_EQ(other.WriteSerial(kDeviceCheckRequest, 3), 1);
  EXPECT_EQ(ten.Drain(), Bytes(kDeviceCheckRequest, kDeviceCheckRequest + 3));

  const Bytes big(256 * 1024, 0);
  EXPECT_EQ(port.WriteSerial(big.data(), big.size()), 0);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);
  std::uint8_t buf[50] = {};
  const auto took = [&clock](double factor, int from, int to, int expected, auto call) {
    clock.SetFactor(factor);
    const std::int64_t start = clock.NowMs();
    EXPECT_EQ(call(), expected);
    EXPECT_GE(clock.NowMs() - start, from);
    EXPECT_LT(clock.NowMs() - start, to);
  };
  took(100, 25600, 30600, 0, [&] { return port.WriteSerial(big.data(), 1); });
  pty.Drain();
  pty.Send({'A', 0x00, 'B'});
  took(0.25, 10, 60, 2, [&] { return port.ReadSerial(buf, sizeof buf); });
  EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{'A', 'B', 0}));
  pty.Send({0x00, 'C', 'D', 'E', 'F'});  // the dropped 0x00 leaves room for 'E' only
  EXPECT_EQ(port.ReadSerial(buf, 3), 3);
  EXPECT_EQ(Bytes(buf, buf + 4), (Bytes{'C', 'D', 'E', 0}));
  EXPECT_EQ(port.ReadSerial(buf, 3), 1);
  took(0.25, 100, 140, 0, [&] { return port.ReadSerial(buf, sizeof buf); });
  port.Close();
  ASSERT_EQ(other.OpenSerialPort("COM3", 3, 0, 0, 0, 0), 0);
  pty.Drain();
  pty.Send({0x00, 0x20});
  EXPECT_EQ(CheckDevice(other), 1);
}

// "LPTn" opens lp<n-1> exclusively; USB takes the first free usb/lpN, an
// error naming the most telling one; BRINDLE_DEBUG traces the search.
TEST(PrinterPort, OpensExclusivelyAndFindsTheFirstFreeUsbPrinter) {
  TempDir dir;
  FakeClock clock;
  MakeDevice(dir, "lp1");
  PrinterPort a(clock, DeviceDirectory(dir.str())), b(clock, DeviceDirectory(dir.str()));
  EXPECT_EQ(a.OpenParallelPort("LPT2"), 0);
  EXPECT_EQ(b.OpenParallelPort("LPT2"), -1);
  EXPECT_EQ(b.LastError().code, EBUSY);
  EXPECT_EQ(b.LastError().device, dir.File("lp1"));
  EXPECT_EQ(b.OpenParallelPort("LPT1"), -1);
  const struct {
    std::vector<int> present, busy;
    int err;
    const char* device;
  } cases[] = {
      {{2, 10}, {}, 0, "usb/lp2"}, {{0, 1}, {0}, 0, "usb/lp1"},          {{15}, {}, 0, "usb/lp15"},
      {{}, {}, ENOENT, "usb/lp*"}, {{4, 5}, {4, 5}, EBUSY, "usb/lp5"},
  };
  for (const auto& c : cases) {
    if (c.busy.empty()) setenv("BRINDLE_DEBUG", "1", 1);
    TempDir d;
    std::vector<UniqueFd> held;
    for (int n : c.present) MakeDevice(d, "usb/lp" + std::to_string(n));
    for (int n : c.busy) {
      held.emplace_back(::open(d.File("usb/lp" + std::to_string(n)).c_str(), O_RDWR | O_NONBLOCK));
      ::flock(held.back().Get(), LOCK_EX | LOCK_NB);
    }
    PrinterPort port(clock, DeviceDirectory(d.str()));
    testing::internal::CaptureStderr();
    EXPECT_EQ(port.OpenUsbPrinter(), c.err ? -1 : 0);
    const std::string trace = "_SetupDiGetClassDevs start\n_SetupDiGetClassDevs end\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.busy.empty() ? trace : "");
    unsetenv("BRINDLE_DEBUG");
    EXPECT_EQ(port.LastError().code, c.err);
    EXPECT_EQ(port.LastError().device, d.File(c.device));
    EXPECT_EQ(port.OpenUsbPrinter(), c.err ? -1 : 0);  // letting its own device go first
  }
}

// Timed writes pause 20 ms after each 64-byte piece (going on past 5 s),
// chunked ones too. A stalled device fails a piece after 5 s of 10 ms polls;
// a gone one at once (a timed run still issuing pieces for 5 s).
TEST(PrinterPort, PacesTimedAndChunkedWritesInSixtyFourBytePieces) {
  std::vector<int> polls(501, 10), pollsThenPause = polls;
  pollsThenPause.push_back(20);
  const struct {
    int form;  // plain, timed, chunked
    std::size_t length;
    std::vector<std::size_t> pieces;
    std::vector<int> waits;
    int device = 0;  // 0 reading, 1 stalled, 2 gone
  } cases[] = {
      {0, 521, {}, {}},
      {1, 521, std::vector<std::size_t>(8, 64), std::vector<int>(8, 20)},
      {1, 40000, std::vector<std::size_t>(624, 64), std::vector<int>(624, 20)},
      {2, 130, {64, 64, 2}, {20, 20, 20}},
      {1, 100, {}, pollsThenPause, 1},
      {2, 100, {}, polls, 1},
      {0, 100, {}, {}, 2},
      {1, 100, {}, std::vector<int>(250, 20), 2},
      {2, 100, {}, {}, 2},
  };
  for (const auto& c : cases) {
    TempDir dir;
    FakeClock clock;
    Pty gone;
    MakeDevice(dir, "lp0", c.device == 2 ? gone.SlavePath() : "");
    PrinterPort port(clock, DeviceDirectory(dir.str()));
    ASSERT_EQ(port.OpenParallelPort("LPT1"), 0);
    gone.CloseMaster();
    const UniqueFd reader(::open(dir.File("lp0").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const UniqueFd writer(::open(dir.File("lp0").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    while (c.device == 1 && ::write(writer.Get(), "fill the pipe", 13) > 0) {
    }
    std::vector<std::size_t> pieces;
    Bytes data(c.length), received;
    for (std::size_t i = 0; i < c.length; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);
    clock.onSleep = [&] {
      const Bytes got = c.device ? Bytes() : Drain(reader.Get());
      if (!got.empty()) pieces.push_back(got.size());
      received.insert(received.end(), got.begin(), got.end());
    };
    const std::uint8_t* d = data.data();
    EXPECT_EQ(c.form == 0   ? port.WritePort(d, c.length)
              : c.form == 1 ? port.WritePortTimed(d, c.length)
                            : port.WritePortChunked(d, c.length), c.device ? 0 : 1);
    EXPECT_EQ(port.LastError().code, c.device == 0 ? 0 : c.device == 1 ? ETIMEDOUT : EIO);
    EXPECT_EQ(clock.waits, c.waits) << c.form << " " << c.length;
    EXPECT_EQ(pieces, c.pieces);
    clock.onSleep();
    EXPECT_EQ(received, c.device ? Bytes() : data);
  }
}

// A read takes only what is waiting; the check passes any answer.
TEST(PrinterPort, ReadsOnlyWhatIsWaiting) {
  TempDir dir;
  Pty pty;
  MakeDevice(dir, "lp1", pty.SlavePath());
  PrinterPort port(SystemClock::Instance(), DeviceDirectory(dir.str()));
  ASSERT_EQ(port.OpenParallelPort("LPT2"), 0);
  std::uint8_t buf[50] = {};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadPort(buf, sizeof buf), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  pty.Send({0x20, 0x41});
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(port.ReadPort(buf, 1), 1);
  EXPECT_EQ(buf[0], 0x20);
  EXPECT_EQ(CheckDevice(port, 0), 1);  // reading the 41 left waiting
  EXPECT_EQ(pty.Drain(), Bytes(kDeviceCheckRequest, kDeviceCheckRequest + 3));
}

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
