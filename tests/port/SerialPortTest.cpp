// The serial transport on pseudo-terminals reached through a test device
// directory ("COM3" → <dir>/ttyS2 → /dev/pts/N), and its drain wait.
#include <gtest/gtest.h>

#include "port/CheckDevice.h"
#include "port/PosixIo.h"
#include "port/SerialPort.h"
#include "support/Clocks.h"
#include "support/DeviceFixtures.h"

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
      {"com1", ""},         {"LPT0", ""},             {"LPT1 ", ""},
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
  took(0.25, 100, 140, 0, [&] { return port.ReadSerial(buf, sizeof buf); });
  port.Close();
  ASSERT_EQ(other.OpenSerialPort("COM3", 3, 0, 0, 0, 0), 0);
  pty.Drain();
  pty.Send({0x00, 0x20});
  EXPECT_EQ(CheckDevice(other), 1);
}

}  // namespace
}  // namespace brindle
