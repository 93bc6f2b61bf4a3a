// The parallel and USB printer transport on FIFOs and pseudo-terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <thread>

#include "port/CheckDevice.h"
#include "port/PrinterPort.h"
#include "support/Clocks.h"
#include "support/DeviceFixtures.h"

namespace brindle {
namespace {

using namespace test;

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

}  // namespace
}  // namespace brindle
