// The serial transport against real pseudo-terminals: the code under test
// opens the client side by path through a temporary device directory
// ("COM3" → <dir>/ttyS2 → /dev/pts/N) and the test plays the printer.
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <thread>

#include "support/DeviceFixtures.h"
#include "support/Clocks.h"
#include "port/CheckDevice.h"
#include "port/PosixIo.h"
#include "port/SerialPort.h"

namespace brindle {
namespace {

using namespace test;

const speed_t kRates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};

TEST(SerialSettings, WriteTimeOutPerByteIsTheConstantDividedByTheCode) {
  const std::pair<int, int> cases[] = {{3, 25600}, {4, 19200}, {5, 15360}, {6, 12800},
                                       {7, 10971}, {8, 9600},  {9, 8533},  {10, 7680},
                                       {0, 25600}, {-4, 25600}, {1, 76800}, {100000, 1}};
  for (auto [code, ms] : cases) EXPECT_EQ(SerialWriteTimeoutPerByteMs(code), ms) << code;
}

// A job ends only once the device has taken what was written: the wait
// goes on while the output queue shrinks and fails after 10 s in which it
// did not; a device that cannot tell (-1) ends it at once. The queue is a
// function of the fake clock's time.
TEST(SerialDrain, WaitsWhileTheQueueShrinksAndFailsWhenItStalls) {
  const struct {
    const char* name;
    std::function<long(std::int64_t t)> queue;
    bool drained;
    std::int64_t endsAt;
  } cases[] = {
      {"empty", [](std::int64_t) { return 0L; }, true, 0},
      {"cannot tell", [](std::int64_t) { return -1L; }, true, 0},
      {"drains", [](std::int64_t t) { return std::max(0L, 300 - long(t)); }, true, 300},
      {"slow but moving", [](std::int64_t t) { return t < 9990 ? 2L : t < 19980 ? 1L : 0L; }, true,
       19980},
      {"stalls", [](std::int64_t t) { return t < 5000 ? 500 - long(t) / 10 : 1L; }, false, 14990},
  };
  for (const auto& c : cases) {
    FakeClock clock;
    int err = 0;
    const auto queued = [&] { return c.queue(clock.now); };
    EXPECT_EQ(posixio::WaitUntilDrained(queued, kSerialDrainStallLimitMs, clock, &err), c.drained)
        << c.name;
    EXPECT_EQ(clock.now, c.endsAt) << c.name;
    EXPECT_EQ(err, c.drained ? 0 : ETIMEDOUT) << c.name;
  }
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    MakeDevice(dir, "ttyS2", pty.SlavePath());
  }
  SerialPort MakePort(IClock& clock = SystemClock::Instance()) {
    return SerialPort(clock, DeviceDirectory(dir.str()));
  }
  termios Applied() {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.Master(), &t), 0);
    return t;
  }
  // One read on `port`, timed on `clock`: {bytes read, ms taken}.
  std::pair<int, std::int64_t> TimedRead(SerialPort& port, IClock& clock, std::size_t size) {
    std::vector<std::uint8_t> buf(size);
    const std::int64_t start = clock.NowMs();
    const int n = port.ReadSerial(buf.data(), size);
    return {n, clock.NowMs() - start};
  }

  TempDir dir;
  Pty pty;
};

// Every baud code and parity on the terminal, and on a plain termios from
// all flags clear and all set, for the exact parity flags a pseudo-terminal
// would not keep (it clears PARENB).
TEST_F(SerialPortTest, AppliesLineSettingsForEveryBaudCodeAndParity) {
  const tcflag_t parityFlags[] = {0, PARENB, PARENB | PARODD};  // none, even, odd
  for (int code = 3; code <= 10; ++code) {
    for (int parity = 0; parity <= 2; ++parity) {
      SCOPED_TRACE(testing::Message() << "code " << code << " parity " << parity);
      SerialPort port = MakePort();
      ASSERT_EQ(port.OpenSerialPort("COM3", code, 0, parity, 0, 0), 0) << port.LastError().code;
      termios plain[2] = {};
      plain[1].c_iflag = plain[1].c_oflag = plain[1].c_cflag = plain[1].c_lflag = ~tcflag_t{0};
      plain[1].c_cflag &= ~CBAUD;
      for (termios& t : plain) {
        t.c_cc[VMIN] = 5;
        ApplyLineSettings(t, code, parity);
        EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD | CMSPAR),
                  CS8 | parityFlags[parity]);
        EXPECT_EQ(t.c_cflag & CLOCAL, tcflag_t(CLOCAL));
        EXPECT_EQ(t.c_iflag & BRKINT, 0u);
        EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
      }
      // Input flow control is left as it was.
      EXPECT_EQ(plain[0].c_iflag & IXOFF, 0u);
      EXPECT_NE(plain[1].c_iflag & IXOFF, 0u);
      for (const termios& t : {plain[0], plain[1], Applied()}) {
        EXPECT_EQ(cfgetospeed(&t), kRates[code - 3]);
        EXPECT_EQ(cfgetispeed(&t), kRates[code - 3]);
        EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | CRTSCTS | CREAD), CS8 | CRTSCTS | CREAD);
        EXPECT_EQ((t.c_cflag & PARODD) != 0, parity == 2);
        EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | ISTRIP | IXON | ICRNL | INLCR | IGNCR), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
      }
    }
  }
}

TEST_F(SerialPortTest, OutOfRangeCodesKeepRateParityAndInputFlowControl) {
  termios preset = Applied();
  cfsetospeed(&preset, B4800);
  cfsetispeed(&preset, B4800);
  preset.c_cflag |= PARENB | PARODD;
  preset.c_iflag |= IXOFF;
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &preset), 0);
  SerialPort port = MakePort();
  ASSERT_EQ(port.OpenSerialPort("COM3", 11, 0, 3, 0, 0), 0);
  const termios t = Applied();
  EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
  EXPECT_NE(t.c_cflag & PARODD, 0u);
  EXPECT_NE(t.c_iflag & IXOFF, 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
}

// A second open of a port fails until the first closes; "COM10" and
// "COM9" reach their own devices, and bytes arrive as written (no line-end
// translation); a missing or unknown port is not opened (-1); a device that
// refuses the settings stays open (-2) for the caller to close.
TEST_F(SerialPortTest, OpensTheNamedDeviceExclusively) {
  SerialPort first = MakePort(), second = MakePort();
  ASSERT_EQ(first.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  EXPECT_EQ(second.OpenSerialPort("COM3", 6, 0, 0, 0, 0), -1);
  EXPECT_EQ(second.LastError().code, EBUSY);
  EXPECT_EQ(second.LastError().device, dir.File("ttyS2"));
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_EQ(second.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);

  Pty ten, nine;
  ASSERT_TRUE(ten.Ok() && nine.Ok());
  MakeDevice(dir, "ttyS9", ten.SlavePath());
  MakeDevice(dir, "ttyS8", nine.SlavePath());
  const Bytes a = {0x1B, 0x40, 0x00, 0x0D, 0x0A, 0xFF}, b = {'B'};
  SerialPort com10 = MakePort(), com9 = MakePort();
  ASSERT_EQ(com10.OpenSerialPort("COM10", 6, 0, 0, 0, 0), 0);
  ASSERT_EQ(com9.OpenSerialPort("COM9", 6, 0, 0, 0, 0), 0);
  EXPECT_EQ(com10.WriteSerial(a.data(), a.size()), 1);
  EXPECT_EQ(com10.WriteSerial(a.data(), 0), 1);
  EXPECT_EQ(com9.WriteSerial(b.data(), 1), 1);
  EXPECT_EQ(ten.Drain(), a);
  EXPECT_EQ(nine.Drain(), b);

  SerialPort port = MakePort();
  EXPECT_EQ(port.OpenSerialPort("COM4", 6, 0, 0, 0, 0), -1);
  EXPECT_EQ(port.LastError().code, ENOENT);
  EXPECT_EQ(port.DevicePath(), dir.File("ttyS3"));
  EXPECT_EQ(port.OpenSerialPort("COMX", 6, 0, 0, 0, 0), -1);
  EXPECT_FALSE(port.IsOpen());
  std::uint8_t byte = 1;
  EXPECT_EQ(port.WriteSerial(&byte, 1), 0);
  EXPECT_EQ(port.ReadSerial(&byte, 1), 0);
  dir.Write("ttyS4", "not a terminal");
  EXPECT_EQ(port.OpenSerialPort("COM5", 6, 0, 0, 0, 0), -2);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.LastError().code, ENOTTY);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, WriteFailsAfterItsTimeOutWhenTheOtherSideStopsReading) {
  ScaledClock clock(1e7);
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 3, 0, 0, 0, 0), 0);
  // Fill the line until it takes no more; time runs fast meanwhile.
  const Bytes big(256 * 1024, 0x55);
  ASSERT_EQ(port.WriteSerial(big.data(), big.size()), 0);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);

  // One more byte at code 3 may wait 25600 ms, not less and not much more.
  clock.SetFactor(100);
  const std::uint8_t one = 0x42;
  const std::int64_t start = clock.NowMs();
  EXPECT_EQ(port.WriteSerial(&one, 1), 0);
  EXPECT_GE(clock.NowMs() - start, 25600);
  EXPECT_LT(clock.NowMs() - start, 25600 + 5000);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);

  pty.Drain();  // the printer reads again: writes go through
  EXPECT_EQ(port.WriteSerial(&one, 1), 1);
}

// A read ends after 10 ms of silence, or after 100 ms in all however
// chatty the device is, or after 100 ms of nothing.
TEST_F(SerialPortTest, ReadEndsOnSilenceOrAfterOneHundredMilliseconds) {
  ScaledClock clock(0.25);  // 10 ms are 40 real ms
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  pty.Send({'A', 'B'});
  auto [n, took] = TimedRead(port, clock, 50);
  EXPECT_EQ(n, 2);
  EXPECT_GE(took, 10);
  EXPECT_LT(took, 60);

  std::tie(n, took) = TimedRead(port, clock, 50);
  EXPECT_EQ(n, 0);
  EXPECT_GE(took, 100);
  EXPECT_LT(took, 140);

  std::atomic<bool> stop{false};
  std::thread printer([&] {
    for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(5))) pty.Send({'x'});
  });
  std::tie(n, took) = TimedRead(port, clock, 1000);
  stop = true;
  printer.join();
  EXPECT_GE(took, 100);
  EXPECT_LT(took, 140);
  EXPECT_GT(n, 5);
  EXPECT_LT(n, 1000);
}

// Property: whatever bytes the printer sends, the reads deliver exactly the
// non-zero ones, in order, never more than asked for.
TEST_F(SerialPortTest, ArbitraryReceivedBytesArriveWithoutTheirZeroBytes) {
  ScaledClock clock(5);  // the closing silent read takes 20 real ms
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 10, 0, 0, 0, 0), 0);
  std::mt19937 rng(1200);
  std::uniform_int_distribution<int> len(0, 300), byte(0, 255), zero(0, 3);
  std::uniform_int_distribution<std::size_t> ask(1, 64);
  for (int round = 0; round < 15; ++round) {
    Bytes sent(len(rng)), expected, got;
    for (auto& b : sent) b = static_cast<std::uint8_t>(zero(rng) == 0 ? 0 : byte(rng));
    pty.Send(sent);
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(expected), [](auto b) { return b; });
    for (int n = 1; n > 0;) {
      const std::size_t size = ask(rng);
      Bytes buf(size + 8, 0xEE);
      n = port.ReadSerial(buf.data(), size);
      ASSERT_GE(n, 0);
      ASSERT_LE(static_cast<std::size_t>(n), size);
      ASSERT_EQ(Bytes(buf.begin() + size, buf.end()), Bytes(8, 0xEE));  // no overrun
      got.insert(got.end(), buf.begin(), buf.begin() + n);
    }
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

TEST_F(SerialPortTest, DeviceCheckPassesOnCarriageReturnOrSpaceOnly) {
  const std::pair<Bytes, int> cases[] = {{{0x0D}, 1},       {{0x20}, 1}, {{0x00, 0x00, 0x20}, 1},
                                         {{0x0A, 0x0D}, 0}, {{0x41}, 0}, {{}, 0}};
  for (const auto& [reply, expected] : cases) {
    SerialPort port = MakePort();
    ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
    pty.Send(reply);
    EXPECT_EQ(CheckDevice(port), expected);
    EXPECT_EQ(pty.Drain(), (Bytes{0x1D, 0x49, 0x01}));
  }
}

}  // namespace
}  // namespace brindle
