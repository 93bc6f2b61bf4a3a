// The parallel and USB printer transport on stand-in devices: FIFOs and
// pseudo-terminals under a temporary device directory. The paced writes
// run on a fake clock whose every pause lets the test look at what the
// device has received so far.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <numeric>

#include "DeviceFixtures.h"
#include "TestClocks.h"
#include "port/CheckDevice.h"
#include "port/PrinterPort.h"

namespace brindle {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::HookClock;
using test::Pty;
using test::TempDeviceDir;

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}

// Reads whatever is waiting on a non-blocking descriptor.
Bytes DrainFd(int fd) {
  Bytes out;
  std::uint8_t buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

// A held device: open and locked the way another program would hold it.
struct Holder {
  explicit Holder(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NONBLOCK)) {
    ::flock(fd, LOCK_EX | LOCK_NB);
  }
  ~Holder() { ::close(fd); }
  int fd;
};

class PrinterPortTest : public ::testing::Test {
 protected:
  // A FIFO as "LPT1", opened by the port; `reader` is the printer's side.
  void OpenFifoLpt(PrinterPort& port, int syncIo) {
    dir.Fifo("lp0");
    ASSERT_EQ(port.OpenParallelPort("LPT1", syncIo), 0);
    reader = ::open((dir / "lp0").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
  }
  // Records, at every pause, how many bytes the device received since the
  // last one.
  void RecordPieces() {
    clock.onSleep = [this](int) {
      Bytes got = DrainFd(reader);
      if (!got.empty()) pieces.push_back(got.size());
      received.insert(received.end(), got.begin(), got.end());
    };
  }
  void FinishPieces() {
    Bytes got = DrainFd(reader);
    if (!got.empty()) pieces.push_back(got.size());
    received.insert(received.end(), got.begin(), got.end());
  }
  void FillFifo() {
    int w = ::open((dir / "lp0").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    std::vector<std::uint8_t> junk(4096, 0xAA);
    while (::write(w, junk.data(), junk.size()) > 0) {
    }
    ::close(w);
  }
  void TearDown() override {
    if (reader >= 0) ::close(reader);
  }
  PrinterPort MakePort() { return PrinterPort(clock, DeviceDirectory(dir.Path())); }

  TempDeviceDir dir;
  HookClock clock;
  int reader = -1;
  std::vector<std::size_t> pieces;
  Bytes received;
};

TEST_F(PrinterPortTest, ParallelNamesOpenTheirLpDevicesExclusively) {
  dir.Fifo("lp0");
  dir.Fifo("lp1");
  PrinterPort a = MakePort(), b = MakePort();
  EXPECT_EQ(a.OpenParallelPort("LPT2", 1), 0);
  EXPECT_EQ(a.LastError().device, dir / "lp1");
  EXPECT_EQ(a.SyncIo(), 1);
  EXPECT_EQ(b.OpenParallelPort("LPT2", 0), -1);
  EXPECT_EQ(b.LastError().code, EBUSY);
  EXPECT_EQ(b.OpenParallelPort("LPT1", 0), 0);
  EXPECT_EQ(b.SyncIo(), 0);
  PrinterPort c = MakePort();
  EXPECT_EQ(c.OpenParallelPort("LPT3", 0), -1);
  EXPECT_EQ(c.LastError().code, ENOENT);
  EXPECT_EQ(c.OpenParallelPort("PRN", 0), -1);
  EXPECT_FALSE(c.IsOpen());
}

TEST_F(PrinterPortTest, UsbSearchTakesTheFirstFreeDeviceInNumberOrder) {
  struct Case {
    std::vector<int> present;
    std::vector<int> busy;
    int expected;  // -1: none
    int err;
  };
  const Case cases[] = {
      {{1, 3}, {}, 1, 0},  {{2, 10}, {}, 2, 0},      {{0, 1, 2}, {0}, 1, 0},
      {{1, 3}, {1}, 3, 0}, {{}, {}, -1, ENOENT},     {{4, 5}, {4, 5}, -1, EBUSY},
      {{15}, {}, 15, 0},
  };
  for (const Case& c : cases) {
    TempDeviceDir d;
    std::vector<std::unique_ptr<Holder>> held;
    for (int n : c.present) d.Fifo("usb/lp" + std::to_string(n));
    for (int n : c.busy) held.push_back(std::make_unique<Holder>(d / ("usb/lp" + std::to_string(n))));
    PrinterPort port(clock, DeviceDirectory(d.Path()));
    std::string path;
    testing::internal::CaptureStderr();
    int found = port.FindUsbPrinter(path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "_SetupDiGetClassDevs start\n_SetupDiGetClassDevs end\n");
    if (c.expected < 0) {
      EXPECT_EQ(found, 0);
      EXPECT_EQ(port.OpenUsbPrinter(), -1);
      EXPECT_EQ(port.LastError().code, c.err);
      EXPECT_FALSE(port.IsOpen());
    } else {
      EXPECT_EQ(found, 1);
      EXPECT_EQ(path, d / ("usb/lp" + std::to_string(c.expected)));
      EXPECT_EQ(port.OpenUsbPrinter(), 0);
      EXPECT_EQ(port.LastError().device, path);
      EXPECT_EQ(port.SyncIo(), 0);
      // The next job finds the same printer although this one still holds it.
      EXPECT_EQ(port.OpenUsbPrinter(), 0);
      EXPECT_EQ(port.LastError().device, path);
    }
  }
}

TEST_F(PrinterPortTest, SetupLibraryStepsAlwaysSucceed) {
  PrinterPort port = MakePort();
  EXPECT_FALSE(port.SetupApiLoaded());
  EXPECT_EQ(port.LoadSetupApi(), 1);
  EXPECT_TRUE(port.SetupApiLoaded());
  EXPECT_EQ(port.LoadSetupApi(), 1);
  EXPECT_EQ(port.FreeSetupApi(), 1);
  EXPECT_FALSE(port.SetupApiLoaded());
  EXPECT_EQ(port.FreeSetupApi(), 1);
}

TEST_F(PrinterPortTest, TimedWriteSendsABandAsSixtyFourBytePiecesWithPauses) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port, 0);
  RecordPieces();
  const Bytes band = Pattern(521);
  EXPECT_EQ(port.WritePortTimed(band.data(), band.size(), 0), 1);
  FinishPieces();
  EXPECT_EQ(pieces, (std::vector<std::size_t>{64, 64, 64, 64, 64, 64, 64, 64, 9}));
  EXPECT_EQ(clock.waits, std::vector<int>(8, 20));
  EXPECT_EQ(received, band);
}

TEST_F(PrinterPortTest, TimedWriteLongerThanOneRunSendsEveryByteOnce) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port, 0);
  RecordPieces();
  const Bytes data = Pattern(40000);  // 625 pieces, runs of 5000 ms
  EXPECT_EQ(port.WritePortTimed(data.data(), data.size(), 0), 1);
  FinishPieces();
  EXPECT_EQ(received, data);
  EXPECT_EQ(pieces.size(), 625u);
  EXPECT_EQ(clock.waits, std::vector<int>(624, 20));
}

TEST_F(PrinterPortTest, TimedWriteToAStalledDeviceReportsFailureAfterItsLimit) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port, 0);
  FillFifo();
  const Bytes band = Pattern(100);
  EXPECT_EQ(port.WritePortTimed(band.data(), band.size(), 0), 0);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);
  // Polled every 10 ms until more than 5000 ms had passed, then cancelled,
  // then the pause; by then the run's 5000 ms are over.
  std::vector<int> expected(501, 10);
  expected.push_back(20);
  EXPECT_EQ(clock.waits, expected);
}

TEST_F(PrinterPortTest, ChunkedWriteSendsARasterAsFortyEightPieces) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port, 0);
  RecordPieces();
  const Bytes raster = Pattern(3072);
  EXPECT_EQ(port.WritePortChunked(raster.data(), raster.size()), 1);
  FinishPieces();
  EXPECT_EQ(pieces, std::vector<std::size_t>(48, 64));
  EXPECT_EQ(clock.waits, std::vector<int>(48, 20));
  EXPECT_EQ(received, raster);

  pieces.clear();
  received.clear();
  clock.waits.clear();
  const Bytes odd = Pattern(130);
  EXPECT_EQ(port.WritePortChunked(odd.data(), odd.size()), 1);
  FinishPieces();
  EXPECT_EQ(pieces, (std::vector<std::size_t>{64, 64, 2}));
  EXPECT_EQ(clock.waits, std::vector<int>(3, 20));
}

TEST_F(PrinterPortTest, ChunkedWriteToAStalledDeviceReportsFailure) {
  PrinterPort port = MakePort();
  OpenFifoLpt(port, 0);
  FillFifo();
  const Bytes raster = Pattern(3072);
  EXPECT_EQ(port.WritePortChunked(raster.data(), raster.size()), 0);
  EXPECT_EQ(port.LastError().code, ETIMEDOUT);
  EXPECT_EQ(clock.waits, std::vector<int>(501, 10));
}

TEST_F(PrinterPortTest, PlainWritesInBothStylesSendOnceWithoutPauses) {
  for (int syncIo : {0, 1}) {
    TempDeviceDir d;
    d.Fifo("lp0");
    PrinterPort port(clock, DeviceDirectory(d.Path()));
    ASSERT_EQ(port.OpenParallelPort("LPT1", syncIo), 0);
    int r = ::open((d / "lp0").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const Bytes data = Pattern(521);
    clock.waits.clear();
    EXPECT_EQ(port.WritePort(data.data(), data.size(), syncIo), 1);
    EXPECT_EQ(port.WritePortTimed(data.data(), 5, 1), 1);  // the synchronous timed form
    EXPECT_EQ(port.Write(data.data(), 3), 1);
    EXPECT_TRUE(clock.waits.empty());
    Bytes expected = data;
    expected.insert(expected.end(), data.begin(), data.begin() + 5);
    expected.insert(expected.end(), data.begin(), data.begin() + 3);
    EXPECT_EQ(DrainFd(r), expected);
    ::close(r);
  }
}

TEST_F(PrinterPortTest, FailedWritesAreReportedAsFailureInEveryForm) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  dir.Link("lp0", pty.SlavePath());
  PrinterPort port = MakePort();
  ASSERT_EQ(port.OpenParallelPort("LPT1", 0), 0);
  pty.CloseMaster();  // the printer is gone: every write fails with EIO
  const Bytes data = Pattern(200);
  EXPECT_EQ(port.WritePort(data.data(), data.size(), 0), 0);
  EXPECT_EQ(port.LastError().code, EIO);
  EXPECT_EQ(port.WritePort(data.data(), data.size(), 1), 0);
  EXPECT_EQ(port.WritePortChunked(data.data(), data.size()), 0);
  EXPECT_EQ(port.WritePortTimed(data.data(), data.size(), 1), 0);
  clock.waits.clear();
  EXPECT_EQ(port.WritePortTimed(data.data(), data.size(), 0), 0);
  EXPECT_EQ(port.LastError().code, EIO);
  // The run goes on issuing pieces until its 5000 ms are over.
  EXPECT_EQ(clock.waits, std::vector<int>(250, 20));
  port.Close();
  EXPECT_EQ(port.WritePort(data.data(), 1, 0), 0);
  EXPECT_EQ(port.LastError().code, EBADF);
}

TEST_F(PrinterPortTest, ReadWithoutSyncIoReadsOnlyWhatIsWaiting) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  dir.Link("lp1", pty.SlavePath());
  PrinterPort port(SystemClock::Instance(), DeviceDirectory(dir.Path()));
  ASSERT_EQ(port.OpenParallelPort("LPT2", 0), 0);
  std::uint8_t buf[50] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadPort(buf, sizeof buf, 0), 0);  // nothing waiting: no wait at all
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  pty.Send({0x20, 0x41});
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(port.ReadPort(buf, sizeof buf, 0), 2);
  EXPECT_EQ(buf[0], 0x20);
  pty.Send({0x0D, 0x00, 0x42});
  EXPECT_EQ(port.ReadPort(buf, sizeof buf, 1), 3);  // zero bytes are kept here
  EXPECT_EQ(buf[1], 0x00);
  EXPECT_EQ(port.ReadPort(buf, sizeof buf, 1), 0);  // silent: ends after 100 ms
}

TEST_F(PrinterPortTest, DeviceCheckIsStrictOnlyWithSyncIo) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  dir.Link("lp0", pty.SlavePath());
  struct Case {
    int syncIo;
    Bytes reply;
    int expected;
  };
  const Case cases[] = {{1, {0x0D}, 1}, {1, {0x41}, 0}, {1, {}, 0},
                        {0, {0x20}, 1}, {0, {0x41}, 1}, {0, {}, 1}};
  for (const Case& c : cases) {
    PrinterPort port(SystemClock::Instance(), DeviceDirectory(dir.Path()));
    ASSERT_EQ(port.OpenParallelPort("LPT1", c.syncIo), 0);
    if (!c.reply.empty()) pty.Send(Bytes(c.reply));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(CheckDevice(port, 0, c.syncIo), c.expected) << "syncIo " << c.syncIo;
    EXPECT_EQ(pty.Drain(), (std::vector<unsigned char>{0x1D, 0x49, 0x01}));
  }
}

}  // namespace
}  // namespace brindle
