// Real jobs on real transports: over TCP loopback to a listener and over a
// pseudo-terminal opened as "COM1" (and as the USB printer) through a test
// device directory. What the printer side records must equal the expected
// stream byte for byte; a printer that hangs up or stops reading must end
// the job with JobStreamFailed within the transports' bounds.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "BmpFiles.h"
#include "Peers.h"
#include "device/NVUploadCtrl.h"
#include "port/SocketStack.h"
#include "support/FakeMessageBox.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kCheck = {0x1D, 0x49, 0x01};

// Real time read through a factor, so that the transports' long bounds
// (a 10 s send stall, a 7.68 s serial byte) pass in a fraction of that.
class FastClock final : public IClock {
 public:
  explicit FastClock(double factor) : factor_(factor), origin_(Clock::now()) {}
  void Sleep(int ms) override {
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms * 1000 / factor_)));
  }
  std::int64_t NowMs() override {
    const double real = std::chrono::duration<double, std::milli>(Clock::now() - origin_).count();
    return static_cast<std::int64_t>(real * factor_);
  }

 private:
  double factor_;
  Clock::time_point origin_;
};

// Sockets with 4 KB send buffers, so that a printer that stops reading
// stalls the sender after about 10 KB instead of megabytes.
class SmallBufferStack final : public ISocketStack {
 public:
  int Startup(std::uint16_t requested, std::uint16_t* granted) override {
    return PosixSocketStack::Instance().Startup(requested, granted);
  }
  int Cleanup() override { return PosixSocketStack::Instance().Cleanup(); }
  int LastError() const override { return PosixSocketStack::Instance().LastError(); }
  int CreateStreamSocket() override {
    const int fd = PosixSocketStack::Instance().CreateStreamSocket();
    const int size = 4096;
    if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    return fd;
  }
};

struct Logos {
  TempDir dir;
  Logos() {
    dir.Write("t.bmp", Bmp1(200, 100, false, Stripes));
    dir.Write("d.bmp", Bmp1(300, 20, false, Stripes));
    dir.Write("s.bmp", Bmp1(16, 8, false, Stripes));
  }
  std::string List(const std::string& name, int copies = 1) const {
    std::string list;
    for (int i = 0; i < copies; ++i) list += dir.File(name) + "|";
    return list;
  }
};

Bytes ThermalStream(int width, int height, Bytes header, int copies = 1) {
  Bytes out = {0x1B, 0x40, 0x1C, 0x71, static_cast<std::uint8_t>(copies)};
  for (int i = 0; i < copies; ++i) out = Cat({out, header, ColumnRaster(width, height, Stripes)});
  return out;
}

Bytes DotStream(Bytes first) {
  Bytes out = first;
  for (int b = 0; b < 3; ++b) {
    out = Cat({out, {0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(b), 0x1B, 0x2A, 0x01, 0x30, 0x01},
               BandBytes(300, 20, Stripes, b)});
  }
  return out;
}

Bytes AllPrintout(std::uint8_t m) {
  Bytes out;
  for (int n = 1; n <= 255; ++n) out = Cat({out, {0x1C, 0x70, static_cast<std::uint8_t>(n), m}});
  return Cat({out, {0x1D, 0x56, 0x42, 0x01}});
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

TEST(EndToEndTcp, UploadsAndPrintsOverLoopback) {
  Logos logos;
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages);
  struct Case {
    const char* name;
    std::function<int(const std::string&)> run;
    Bytes expected;
    bool replyRead = true;
  } cases[] = {
      {"Thermal upload",
       [&](const std::string& port) {
         return ctrl.RunUploadTcp(0, "127.0.0.1", port, logos.List("t.bmp"), 0, 5);
       },
       Cat({kCheck, ThermalStream(200, 100, {0x19, 0x00, 0x0D, 0x00})})},
      {"Dot upload",
       [&](const std::string& port) {
         return ctrl.RunUploadTcp(1, "127.0.0.1", port, logos.List("d.bmp"), 0, 5);
       },
       Cat({kCheck, DotStream({0x1B, 0x6F, 0x00, 0x1B, 0x40})}), false},
      {"printout All, Double High",
       [&](const std::string& port) { return ctrl.RunCommandTcp(0, "127.0.0.1", port, 0, 2, 0); },
       Cat({kCheck, AllPrintout(0x32)})},
      {"erase", [&](const std::string& port) { return ctrl.RunCommandTcp(3, "127.0.0.1", port, 4, 1, 0); },
       Cat({kCheck, {0x1C, 0x65}}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The printer answers only where the job reads the answer: a reply
    // left unread makes the close reset the connection, and the printer
    // may then lose the end of the stream.
    TcpPeer peer({.answerCheck = c.replyRead});
    EXPECT_EQ(c.run(peer.PortText()), JobOk);
    EXPECT_EQ(peer.Received(), c.expected);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST(EndToEndTcp, FailsWhenThePrinterHangsUp) {
  Logos logos;
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages);
  TcpPeer peer({.hangUpAfter = 1000});
  const auto start = Clock::now();
  EXPECT_EQ(ctrl.RunUploadTcp(0, "127.0.0.1", peer.PortText(), logos.List("t.bmp", 8), 0, 5),
            JobStreamFailed);
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_NE(ctrl.LastPortError().code, 0);
  EXPECT_EQ(ctrl.LastPortError().device, "127.0.0.1:" + peer.PortText());
}

// The stall bound of a send (10 s, here through a clock 100 times fast)
// ends the job when the printer stops reading.
TEST(EndToEndTcp, FailsWhenThePrinterStopsReading) {
  Logos logos;
  FakeMessageBox messages;
  FastClock clock(100);
  SmallBufferStack sockets;
  SystemPortProvider ports(messages, clock, std::nullopt, sockets);
  CNVUploadCtrl ctrl(ports, clock);
  TcpPeer peer({.stopReadingAfter = 200, .receiveBuffer = 4096});
  const auto start = Clock::now();
  EXPECT_EQ(ctrl.RunUploadTcp(0, "127.0.0.1", peer.PortText(), logos.List("t.bmp", 12), 0, 5),
            JobStreamFailed);
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_EQ(ctrl.LastPortError().code, ETIMEDOUT);
  EXPECT_EQ(peer.Count(), 200u);
}

// A device directory whose ttyS0 (COM1) and usb/lp0 (USB) lead to
// pseudo-terminals played by the test.
struct Devices {
  TempDir dir;
  void Link(const std::string& name, const PtyPeer& peer) {
    std::filesystem::create_directories((dir.path() / name).parent_path());
    std::filesystem::create_symlink(peer.SlavePath(), dir.path() / name);
  }
  DeviceDirectory Directory() const { return DeviceDirectory(dir.str()); }
};

TEST(EndToEndSerial, UploadsAndPrintsOnCom1) {
  Logos logos;
  FakeMessageBox messages;
  struct Case {
    const char* name;
    std::function<int(CNVUploadCtrl&)> run;
    Bytes expected;
  } cases[] = {
      {"Thermal upload",
       [&](CNVUploadCtrl& c) { return c.RunUpload(0, "COM1", 10, 0, 0, 0, 0, logos.List("t.bmp"), 0, 5); },
       Cat({{0x1B, 0x40, 0x1C, 0x71, 0x01, 0x19, 0x00, 0x0D, 0x00}, ColumnRaster(200, 100, Stripes)})},
      {"Dot upload",
       [&](CNVUploadCtrl& c) { return c.RunUpload(1, "COM1", 6, 0, 1, 0, 0, logos.List("d.bmp"), 0, 5); },
       DotStream({0x1B, 0x40, 0x1B, 0x6F, 0x00})},
      {"Thermal printout 2-4",
       [&](CNVUploadCtrl& c) { return c.RunCommand(0, "COM1", 10, 0, 0, 0, 0, 2, 3, 4); },
       Cat({kCheck, {0x1C, 0x70, 0x02, 0x33, 0x1C, 0x70, 0x03, 0x33, 0x1C, 0x70, 0x04, 0x33,
                     0x1D, 0x56, 0x42, 0x01}})},
      {"Dot printout",
       [&](CNVUploadCtrl& c) { return c.RunCommand(1, "COM1", 10, 0, 2, 0, 0, 0, 0, 0); },
       Cat({kCheck, {0x1B, 0x6F, 0x01, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D,
                     0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    Devices devices;
    devices.Link("ttyS0", peer);
    CNVUploadCtrl ctrl(messages, SystemClock::Instance(), devices.Directory());
    EXPECT_EQ(c.run(ctrl), JobOk);
    EXPECT_EQ(peer.Received(), c.expected);
  }
}

TEST(EndToEndSerial, FailsTheCheckOfASilentPrinter) {
  PtyPeer peer({.answerCheck = false});
  ASSERT_TRUE(peer.Ok());
  Devices devices;
  devices.Link("ttyS0", peer);
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages, SystemClock::Instance(), devices.Directory());
  EXPECT_EQ(ctrl.RunCommand(0, "COM1", 10, 0, 0, 0, 0, 0, 0, 0), JobCheckFailed);
  EXPECT_EQ(peer.Received(), kCheck);
  EXPECT_EQ(ctrl.RunCommand(0, "COM2", 10, 0, 0, 0, 0, 0, 0, 0), JobOpenFailed);
  EXPECT_EQ(ctrl.LastPortError().device, devices.dir.File("ttyS1"));
}

TEST(EndToEndSerial, FailsWhenThePrinterHangsUpOrStopsReading) {
  Logos logos;
  FakeMessageBox messages;
  for (bool hangUp : {true, false}) {
    SCOPED_TRACE(hangUp ? "hangs up" : "stops reading");
    PeerOptions options;
    if (hangUp) options.hangUpAfter = 1000;
    else options.stopReadingAfter = 1000;
    PtyPeer peer(options);
    ASSERT_TRUE(peer.Ok());
    Devices devices;
    devices.Link("ttyS0", peer);
    // A byte may wait 7,680 ms at code 10; the clock runs 100 times fast.
    FastClock clock(100);
    CNVUploadCtrl ctrl(messages, clock, devices.Directory());
    const auto start = Clock::now();
    EXPECT_EQ(ctrl.RunUpload(0, "COM1", 10, 0, 0, 0, 0, logos.List("t.bmp", 12), 0, 5),
              JobStreamFailed);
    EXPECT_LT(Seconds(start), 2.0);
    EXPECT_NE(ctrl.LastPortError().code, 0);
  }
}

// Two USB "Thermal" uploads in a row: the first job closed the device, so
// the second can open it.
TEST(EndToEndUsb, UploadsTwiceInARow) {
  Logos logos;
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  Devices devices;
  devices.Link("usb/lp0", peer);
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages, SystemClock::Instance(), devices.Directory());
  EXPECT_EQ(ctrl.RunUpload(0, "USB", 0, 0, 0, 0, 0, logos.List("s.bmp"), 0, 5), JobOk);
  EXPECT_EQ(ctrl.RunUpload(0, "USB", 0, 0, 0, 0, 0, logos.List("s.bmp"), 0, 5), JobOk);
  const Bytes one = ThermalStream(16, 8, {0x02, 0x00, 0x01, 0x00});
  EXPECT_EQ(peer.Received(), Cat({one, one}));
}

}  // namespace
}  // namespace brindle
