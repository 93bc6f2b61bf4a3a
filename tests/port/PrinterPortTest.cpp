// The parallel and USB printer transport on stand-in devices: FIFOs and
// pseudo-terminals under a temporary device directory. The paced writes
// run on a fake clock whose every pause lets the test look at what the
// device has received so far.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <memory>
#include <thread>

#include "support/DeviceFixtures.h"
#include "support/Clocks.h"
#include "port/CheckDevice.h"
#include "port/PrinterPort.h"

namespace brindle {
namespace {

using namespace test;
using Sizes = std::vector<std::size_t>;

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}

// A device held open and locked the way another program would hold it.
struct Holder {
  explicit Holder(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NONBLOCK)) {
    ::flock(fd, LOCK_EX | LOCK_NB);
  }
  ~Holder() { ::close(fd); }
  int fd;
};

class PrinterPortTest : public ::testing::Test {
 protected:
  PrinterPort MakePort(IClock& c) { return PrinterPort(c, DeviceDirectory(dir.str())); }
  PrinterPort MakePort() { return MakePort(clock); }
  // A FIFO as "LPT1" opened by `port` with its printer side `reader`;
  // `pieces` gets, at every pause, the bytes received since the last one.
  void OpenFifoLpt(PrinterPort& port) {
    TearDown();  // a fresh device and record for each use
    std::filesystem::remove(dir.File("lp0"));
    clock.waits.clear();
    pieces.clear();
    received.clear();
    MakeDevice(dir, "lp0");
    ASSERT_EQ(port.OpenParallelPort("LPT1"), 0);
    reader = ::open(dir.File("lp0").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    clock.onSleep = [this] { TakePiece(); };
  }
  void TakePiece() {
    const Bytes got = Drain(reader);
    if (!got.empty()) pieces.push_back(got.size());
    received.insert(received.end(), got.begin(), got.end());
  }
  void FillFifo() {
    const int w = ::open(dir.File("lp0").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const Bytes junk(4096, 0xAA);
    while (::write(w, junk.data(), junk.size()) > 0) {
    }
    ::close(w);
  }
  void TearDown() override {
    if (reader >= 0) ::close(reader);
    reader = -1;
  }

  TempDir dir;
  FakeClock clock;
  int reader = -1;
  Sizes pieces;
  Bytes received;
};

TEST_F(PrinterPortTest, ParallelNamesOpenTheirLpDevicesExclusively) {
  MakeDevice(dir, "lp0");
  MakeDevice(dir, "lp1");
  PrinterPort a = MakePort(), b = MakePort(), c = MakePort();
  EXPECT_EQ(a.OpenParallelPort("LPT2"), 0);
  EXPECT_EQ(a.LastError().device, dir.File("lp1"));
  EXPECT_EQ(b.OpenParallelPort("LPT2"), -1);
  EXPECT_EQ(b.LastError().code, EBUSY);
  EXPECT_EQ(b.OpenParallelPort("LPT1"), 0);
  EXPECT_EQ(c.OpenParallelPort("LPT3"), -1);
  EXPECT_EQ(c.LastError().code, ENOENT);
  EXPECT_EQ(c.OpenParallelPort("PRN"), -1);
  EXPECT_FALSE(c.IsOpen());
}

TEST_F(PrinterPortTest, UsbSearchTakesTheFirstFreeDeviceInNumberOrder) {
  struct Case {
    std::vector<int> present, busy;
    int expected;  // -1: none
    int err;
    const char* device;  // named by the error
  } cases[] = {
      {{1, 3}, {}, 1, 0, ""},  {{2, 10}, {}, 2, 0, ""},  {{0, 1, 2}, {0}, 1, 0, ""},
      {{1, 3}, {1}, 3, 0, ""}, {{}, {}, -1, ENOENT, "usb/lp*"}, {{4, 5}, {4, 5}, -1, EBUSY, "usb/lp5"},
      {{15}, {}, 15, 0, ""},
  };
  for (const Case& c : cases) {
    // The search's trace lines appear only with BRINDLE_DEBUG.
    const bool debug = c.expected % 2 != 0;
    if (debug) ::setenv("BRINDLE_DEBUG", "1", 1);
    TempDir d;
    std::vector<std::unique_ptr<Holder>> held;
    for (int n : c.present) MakeDevice(d, "usb/lp" + std::to_string(n));
    for (int n : c.busy) {
      held.push_back(std::make_unique<Holder>(d.File("usb/lp" + std::to_string(n))));
    }
    PrinterPort port(clock, DeviceDirectory(d.str()));
    std::string path;
    testing::internal::CaptureStderr();
    const int found = port.FindUsbPrinter(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              debug ? "_SetupDiGetClassDevs start\n_SetupDiGetClassDevs end\n" : "");
    ::unsetenv("BRINDLE_DEBUG");
    EXPECT_EQ(found, c.expected < 0 ? 0 : 1);
    if (c.expected < 0) {
      EXPECT_EQ(port.OpenUsbPrinter(), -1);
      EXPECT_EQ(port.LastError().code, c.err);
      EXPECT_EQ(port.LastError().device, d.File(c.device));
      EXPECT_FALSE(port.IsOpen());
      continue;
    }
    EXPECT_EQ(path, d.File("usb/lp" + std::to_string(c.expected)));
    // Opened twice: the next job finds the same printer although this one
    // still holds it.
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(port.OpenUsbPrinter(), 0);
      EXPECT_EQ(port.LastError().device, path);
    }
  }
}

// The overlapped timed write pauses between 64-byte pieces (a 521-byte
// band: eight of 64 and one of 9); the chunked write pauses after every
// piece (3,072 bytes: 48 pieces). Every byte arrives once, in order.
TEST_F(PrinterPortTest, PacedWritesSendSixtyFourBytePiecesWithPauses) {
  struct Case {
    bool chunked;
    std::size_t length;
    Sizes pieces;
    std::size_t pauses;
  } cases[] = {
      {false, 521, {64, 64, 64, 64, 64, 64, 64, 64, 9}, 8},
      {false, 40000, Sizes(625, 64), 624},  // longer than one 5000 ms run
      {true, 3072, Sizes(48, 64), 48},
      {true, 130, {64, 64, 2}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    PrinterPort port = MakePort();
    OpenFifoLpt(port);
    const Bytes data = Pattern(c.length);
    EXPECT_EQ(c.chunked ? port.WritePortChunked(data.data(), data.size())
                        : port.WritePortTimed(data.data(), data.size()), 1);
    TakePiece();
    EXPECT_EQ(pieces, c.pieces);
    EXPECT_EQ(clock.waits, std::vector<int>(c.pauses, 20));
    EXPECT_EQ(received, data);
  }
}

// A device that takes nothing: the timed write polls its piece every 10 ms
// until more than 5000 ms passed, cancels it, pauses and reports 0; the
// chunked write reports 0 after the same polls.
TEST_F(PrinterPortTest, PacedWritesToAStalledDeviceFailAfterTheirLimit) {
  for (bool chunked : {false, true}) {
    PrinterPort port = MakePort();
    OpenFifoLpt(port);
    clock.onSleep = nullptr;  // the printer reads nothing
    FillFifo();
    const Bytes data = Pattern(chunked ? 3072 : 100);
    EXPECT_EQ(chunked ? port.WritePortChunked(data.data(), data.size())
                      : port.WritePortTimed(data.data(), data.size()), 0);
    EXPECT_EQ(port.LastError().code, ETIMEDOUT);
    std::vector<int> expected(501, 10);
    if (!chunked) expected.push_back(20);
    EXPECT_EQ(clock.waits, expected) << chunked;
  }
}

TEST_F(PrinterPortTest, PlainWritesSendOnceWithoutPauses) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port);
  const Bytes data = Pattern(521);
  EXPECT_EQ(port.WritePort(data.data(), data.size()), 1);
  EXPECT_EQ(port.Write(data.data(), 3), 1);
  EXPECT_TRUE(clock.waits.empty());
  Bytes expected = data;
  expected.insert(expected.end(), data.begin(), data.begin() + 3);
  EXPECT_EQ(Drain(reader), expected);
}

TEST_F(PrinterPortTest, FailedWritesAreReportedAsFailureInEveryForm) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  MakeDevice(dir, "lp0", pty.SlavePath());
  PrinterPort port = MakePort();
  ASSERT_EQ(port.OpenParallelPort("LPT1"), 0);
  pty.CloseMaster();  // the printer is gone: every write fails with EIO
  const Bytes data = Pattern(200);
  EXPECT_EQ(port.WritePort(data.data(), data.size()), 0);
  EXPECT_EQ(port.LastError().code, EIO);
  EXPECT_EQ(port.WritePortChunked(data.data(), data.size()), 0);
  clock.waits.clear();
  EXPECT_EQ(port.WritePortTimed(data.data(), data.size()), 0);
  EXPECT_EQ(port.LastError().code, EIO);
  // The run goes on issuing pieces until its 5000 ms are over.
  EXPECT_EQ(clock.waits, std::vector<int>(250, 20));
  port.Close();
  EXPECT_EQ(port.WritePort(data.data(), 1), 0);
  EXPECT_EQ(port.LastError().code, EBADF);
}

// A read takes only what is waiting, without waiting when nothing is; the
// device check lets any answer through.
TEST_F(PrinterPortTest, ReadsOnlyWhatIsWaiting) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  MakeDevice(dir, "lp1", pty.SlavePath());
  std::uint8_t buf[50] = {};
  PrinterPort port = MakePort(SystemClock::Instance());
  ASSERT_EQ(port.OpenParallelPort("LPT2"), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadPort(buf, sizeof buf), 0);  // nothing waiting: no wait at all
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  pty.Send({0x20, 0x41});
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(port.ReadPort(buf, sizeof buf), 2);
  EXPECT_EQ(buf[0], 0x20);
  pty.Send({0x41});
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(CheckDevice(port, 0), 1);
  EXPECT_EQ(pty.Drain(), (Bytes{0x1D, 0x49, 0x01}));
}

}  // namespace
}  // namespace brindle
