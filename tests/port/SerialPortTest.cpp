// The serial transport against real pseudo-terminals: the code under test
// opens the client side by path through a temporary device directory
// ("COM3" → <dir>/ttyS2 → /dev/pts/N) and the test plays the printer.
#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <fstream>
#include <random>
#include <thread>

#include "port/CheckDevice.h"
#include "DeviceFixtures.h"
#include "port/SerialPort.h"
#include "TestClocks.h"

namespace brindle {
namespace {

using Bytes = std::vector<unsigned char>;
using test::Pty;
using test::ScaledClock;
using test::TempDeviceDir;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    dir.Link("ttyS2", pty.SlavePath());
  }
  SerialPort MakePort(IClock& clock = SystemClock::Instance()) {
    return SerialPort(clock, DeviceDirectory(dir.Path()));
  }
  termios Applied() {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.Master(), &t), 0);
    return t;
  }

  TempDeviceDir dir;
  Pty pty;
};

TEST(SerialWriteTimeout, IsCodeDividedIntoTheConstantNotDerivedFromRate) {
  const std::pair<int, int> cases[] = {{3, 25600}, {4, 19200}, {5, 15360}, {6, 12800}, {7, 10971},
                                       {8, 9600},  {9, 8533},  {10, 7680}, {0, 25600}, {-4, 25600},
                                       {1, 76800}, {100000, 1}};
  for (auto [code, ms] : cases) EXPECT_EQ(SerialWriteTimeoutPerByteMs(code), ms) << code;
}

TEST(SerialLineSettings, SetFramingParityAndBinaryModeExactly) {
  const speed_t rates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};
  // Parity list order NONE, EVEN, ODD → flags.
  const tcflag_t parityFlags[] = {0, PARENB, PARENB | PARODD};
  for (tcflag_t start : {tcflag_t{0}, ~tcflag_t{0}}) {
    for (int code = 3; code <= 10; ++code) {
      for (int parity = 0; parity <= 2; ++parity) {
        termios t{};
        t.c_iflag = t.c_oflag = t.c_cflag = t.c_lflag = start;
        t.c_cflag &= ~CBAUD;  // a defined starting rate
        t.c_cc[VMIN] = 5;
        ApplyLineSettings(t, code, parity);
        SCOPED_TRACE(testing::Message() << "start " << start << " code " << code << " parity " << parity);
        EXPECT_EQ(cfgetospeed(&t), rates[code - 3]);
        EXPECT_EQ(cfgetispeed(&t), rates[code - 3]);
        EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD | CMSPAR),
                  tcflag_t(CS8) | parityFlags[parity]);
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | CRTSCTS), tcflag_t(CREAD | CLOCAL | CRTSCTS));
        EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | ISTRIP | IXON | ICRNL | INLCR | IGNCR | BRKINT), 0u);
        EXPECT_EQ(t.c_iflag & IXOFF, start & IXOFF);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);
      }
    }
  }
  // Codes and indices outside the lists keep the rate and the parity.
  termios t{};
  cfsetospeed(&t, B4800);
  cfsetispeed(&t, B4800);
  t.c_cflag |= PARENB | PARODD;
  ApplyLineSettings(t, 2, 3);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD), tcflag_t(PARENB | PARODD));
  ApplyLineSettings(t, 11, -1);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
}

TEST_F(SerialPortTest, AppliesLineSettingsForEveryBaudCodeAndParity) {
  const speed_t rates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};
  for (int code = 3; code <= 10; ++code) {
    for (int parity = 0; parity <= 2; ++parity) {
      SerialPort port = MakePort();
      ASSERT_EQ(port.OpenSerialPort("COM3", code, 0, parity, 0, 0), 0) << port.LastError().code;
      termios t = Applied();
      SCOPED_TRACE(testing::Message() << "code " << code << " parity " << parity);
      EXPECT_EQ(cfgetospeed(&t), rates[code - 3]);
      EXPECT_EQ(cfgetispeed(&t), rates[code - 3]);
      EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
      EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
      // A pseudo-terminal always clears PARENB; PARODD shows what was set
      // (the exact parity flags are checked on a plain termios below).
      EXPECT_EQ((t.c_cflag & PARODD) != 0, parity == 2);
      EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
      EXPECT_NE(t.c_cflag & CREAD, 0u);
      EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | ISTRIP | IXON | ICRNL | INLCR | IGNCR), 0u);
      EXPECT_EQ(t.c_oflag & OPOST, 0u);
      EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
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
  termios t = Applied();
  EXPECT_EQ(cfgetospeed(&t), speed_t(B4800));
  EXPECT_NE(t.c_cflag & PARODD, 0u);
  EXPECT_NE(t.c_iflag & IXOFF, 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
}

TEST_F(SerialPortTest, SecondOpenOfTheSamePortFailsUntilTheFirstCloses) {
  SerialPort first = MakePort();
  SerialPort second = MakePort();
  ASSERT_EQ(first.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  EXPECT_EQ(second.OpenSerialPort("COM3", 6, 0, 0, 0, 0), -1);
  EXPECT_EQ(second.LastError().code, EBUSY);
  EXPECT_EQ(second.LastError().device, dir / "ttyS2");
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_EQ(second.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
}

TEST_F(SerialPortTest, TwoDigitPortNamesReachTheirOwnDevices) {
  Pty ten, nine;
  ASSERT_TRUE(ten.Ok() && nine.Ok());
  dir.Link("ttyS9", ten.SlavePath());
  dir.Link("ttyS8", nine.SlavePath());
  const std::uint8_t a = 'A', b = 'B';
  SerialPort com10 = MakePort(), com9 = MakePort();
  ASSERT_EQ(com10.OpenSerialPort("COM10", 6, 0, 0, 0, 0), 0);
  ASSERT_EQ(com9.OpenSerialPort("COM9", 6, 0, 0, 0, 0), 0);
  ASSERT_EQ(com10.WriteSerial(&a, 1), 1);
  ASSERT_EQ(com9.WriteSerial(&b, 1), 1);
  EXPECT_EQ(ten.Drain(), Bytes{'A'});
  EXPECT_EQ(nine.Drain(), Bytes{'B'});
}

TEST_F(SerialPortTest, MissingOrUnknownPortIsNotOpened) {
  SerialPort port = MakePort();
  EXPECT_EQ(port.OpenSerialPort("COM4", 6, 0, 0, 0, 0), -1);
  EXPECT_EQ(port.LastError().code, ENOENT);
  EXPECT_EQ(port.DevicePath(), dir / "ttyS3");
  EXPECT_EQ(port.OpenSerialPort("COMX", 6, 0, 0, 0, 0), -1);
  EXPECT_FALSE(port.IsOpen());
  std::uint8_t byte = 1;
  EXPECT_EQ(port.WriteSerial(&byte, 1), 0);
  EXPECT_EQ(port.ReadSerial(&byte, 1), 0);
}

TEST_F(SerialPortTest, RefusedSettingsLeaveThePortOpenForTheCallerToClose) {
  std::ofstream(dir / "ttyS4") << "not a terminal";
  SerialPort port = MakePort();
  EXPECT_EQ(port.OpenSerialPort("COM5", 6, 0, 0, 0, 0), -2);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.LastError().code, ENOTTY);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, WritesReachTheDeviceInOrder) {
  SerialPort port = MakePort();
  ASSERT_EQ(port.OpenSerialPort("COM3", 10, 0, 0, 0, 0), 0);
  const std::uint8_t data[] = {0x1B, 0x40, 0x00, 0x0D, 0x0A, 0xFF};
  EXPECT_EQ(port.WriteSerial(data, sizeof data), 1);
  EXPECT_EQ(port.WriteSerial(data, 0), 1);
  EXPECT_EQ(pty.Drain(), Bytes(data, data + sizeof data));
}

TEST_F(SerialPortTest, WriteFailsAfterItsTimeOutWhenTheOtherSideStopsReading) {
  ScaledClock clock(1e7);
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 3, 0, 0, 0, 0), 0);
  // Fill the line until it takes no more; time runs fast meanwhile.
  std::vector<std::uint8_t> big(256 * 1024, 0x55);
  ASSERT_EQ(port.WriteSerial(big.data(), big.size()), 0);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);

  // One more byte at code 3 may wait 25600 ms, not less and not much more.
  clock.SetFactor(100);
  const std::uint8_t one = 0x42;
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(port.WriteSerial(&one, 1), 0);
  std::int64_t waited = clock.NowMs() - start;
  EXPECT_GE(waited, 25600);
  EXPECT_LT(waited, 25600 + 5000);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);

  // Once the printer reads again, writes go through.
  pty.Drain();
  EXPECT_EQ(port.WriteSerial(&one, 1), 1);
}

TEST_F(SerialPortTest, ReadEndsAfterTenMillisecondsOfSilence) {
  ScaledClock clock(0.25);  // 10 ms of silence are 40 real ms
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  pty.Send({'A', 'B'});
  std::uint8_t buf[50] = {};
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(port.ReadSerial(buf, sizeof buf), 2);
  std::int64_t took = clock.NowMs() - start;
  EXPECT_GE(took, 10);
  EXPECT_LT(took, 60);
  EXPECT_EQ(buf[0], 'A');
  EXPECT_EQ(buf[1], 'B');
}

TEST_F(SerialPortTest, ReadOfASilentDeviceEndsAfterOneHundredMilliseconds) {
  ScaledClock clock(0.5);
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  std::uint8_t buf[50] = {};
  std::int64_t start = clock.NowMs();
  EXPECT_EQ(port.ReadSerial(buf, sizeof buf), 0);
  std::int64_t took = clock.NowMs() - start;
  EXPECT_GE(took, 100);
  EXPECT_LT(took, 160);
}

TEST_F(SerialPortTest, ReadOfAChattyDeviceEndsAfterOneHundredMillisecondsInAll) {
  ScaledClock clock(0.25);  // the 100 ms are 400 real ms; bytes come every 5
  SerialPort port = MakePort(clock);
  ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  std::atomic<bool> stop{false};
  std::thread printer([&] {
    while (!stop) {
      pty.Send({'x'});
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  std::vector<std::uint8_t> buf(1000);
  std::int64_t start = clock.NowMs();
  int n = port.ReadSerial(buf.data(), buf.size());
  std::int64_t took = clock.NowMs() - start;
  stop = true;
  printer.join();
  EXPECT_GE(took, 100);
  EXPECT_LT(took, 140);
  EXPECT_GT(n, 5);
  EXPECT_LT(n, 1000);
}

TEST_F(SerialPortTest, ReadStopsAtSizeAndDiscardsZeroBytes) {
  SerialPort port = MakePort();
  ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
  pty.Send({0x00, 0x00, 0x0D, 0x00, 0x41});
  std::uint8_t buf[50];
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  EXPECT_EQ(port.ReadSerial(buf, 3), 2);
  EXPECT_EQ(buf[0], 0x0D);
  EXPECT_EQ(buf[1], 0x41);
  EXPECT_EQ(buf[2], 0x00);

  Bytes many(60);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<unsigned char>(i + 1);
  pty.Send(many);
  EXPECT_EQ(port.ReadSerial(buf, 50), 50);
  EXPECT_EQ(buf[49], 50);
  EXPECT_EQ(port.ReadSerial(buf, 50), 10);
  EXPECT_EQ(buf[0], 51);
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
    Bytes sent(len(rng));
    for (auto& b : sent) b = static_cast<unsigned char>(zero(rng) == 0 ? 0 : byte(rng));
    pty.Send(sent);
    Bytes expected;
    for (auto b : sent) {
      if (b != 0) expected.push_back(b);
    }
    Bytes got;
    for (;;) {
      std::vector<std::uint8_t> buf(ask(rng) + 8, 0xEE);
      std::size_t size = buf.size() - 8;
      int n = port.ReadSerial(buf.data(), size);
      ASSERT_GE(n, 0);
      ASSERT_LE(static_cast<std::size_t>(n), size);
      for (std::size_t i = size; i < buf.size(); ++i) ASSERT_EQ(buf[i], 0xEE);  // no overrun
      if (n == 0) break;
      got.insert(got.end(), buf.begin(), buf.begin() + n);
    }
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

TEST_F(SerialPortTest, DeviceCheckPassesOnCarriageReturnOrSpaceOnly) {
  struct Case {
    Bytes reply;
    int expected;
  };
  const Case cases[] = {{{0x0D}, 1},       {{0x20}, 1},       {{0x00, 0x00, 0x20}, 1},
                        {{0x41}, 0},       {{0x0A, 0x0D}, 0}, {{}, 0}};
  for (const Case& c : cases) {
    SerialPort port = MakePort();
    ASSERT_EQ(port.OpenSerialPort("COM3", 6, 0, 0, 0, 0), 0);
    if (!c.reply.empty()) pty.Send(c.reply);
    EXPECT_EQ(CheckDevice(port), c.expected);
    EXPECT_EQ(pty.Drain(), (Bytes{0x1D, 0x49, 0x01}));
  }
}

}  // namespace
}  // namespace brindle
