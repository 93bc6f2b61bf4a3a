// Real jobs on real transports: over TCP loopback to a listener and over a
// pseudo-terminal opened as "COM1" (and as the USB printer) through a test
// device directory. What the printer side records must equal the expected
// stream byte for byte; a printer that hangs up or stops reading must end
// the job with JobStreamFailed within the transports' bounds.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "DotLayout.h"
#include "support/Peers.h"
#include "device/NVUploadCtrl.h"
#include "support/DeviceFixtures.h"
#include "support/Clocks.h"
#include "support/FakeMessageBox.h"

namespace brindle {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

const char* const kIp = "127.0.0.1";
const Bytes kCheck = {0x1D, 0x49, 0x01};
const Bytes kDotFeedCut = {0x1B, 0x6F, 0x01, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D,
                           0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D};

// The logos, and a device directory whose entries lead to the
// pseudo-terminals the test plays.
struct Printers {
  TempDir dir, devices;
  FakeMessageBox messages;
  Printers() {
    dir.Write("t.bmp", Bmp1(200, 100, false, Stripes));
    dir.Write("d.bmp", Bmp1(300, 20, false, Stripes));
    dir.Write("s.bmp", Bmp1(16, 8, false, Stripes));
  }
  std::string List(const std::string& name, int copies = 1) const {
    std::string list;
    for (int i = 0; i < copies; ++i) list += dir.File(name) + "|";
    return list;
  }
  // A job object whose device `name` ("ttyS0" is COM1) is `peer`.
  std::unique_ptr<CNVUploadCtrl> Attach(const std::string& name, const PtyPeer& peer,
                                        IClock& clock = SystemClock::Instance()) {
    MakeDevice(devices, name, peer.SlavePath());
    return std::make_unique<CNVUploadCtrl>(messages, clock, DeviceDirectory(devices.str()));
  }
};

Bytes ThermalStream(int width, int height, Bytes header) {
  return Cat({{0x1B, 0x40, 0x1C, 0x71, 0x01}, header, ColumnRaster(width, height, Stripes)});
}
Bytes DotStream(Bytes first) {
  for (int b = 0; b < 3; ++b) {
    const auto band = static_cast<std::uint8_t>(b);
    first = Cat({first, {0x1B, 0x58, 0x2A, band, 0x1B, 0x2A, 0x01, 0x30, 0x01},
                 BandBytes(300, 20, Stripes, b)});
  }
  return first;
}

TEST(EndToEndTcp, UploadsAndPrintsOverLoopback) {
  Printers s;
  CNVUploadCtrl ctrl(s.messages);
  Bytes all;
  for (int n = 1; n <= 255; ++n) all = Cat({all, {0x1C, 0x70, static_cast<std::uint8_t>(n), 0x32}});
  struct Case {
    std::function<int(const std::string&)> run;
    Bytes expected;
    bool replyRead;
  } cases[] = {
      {[&](const std::string& p) { return ctrl.RunUploadTcp(0, kIp, p, s.List("t.bmp"), 0, 5); },
       Cat({kCheck, ThermalStream(200, 100, {0x19, 0x00, 0x0D, 0x00})}), true},
      {[&](const std::string& p) { return ctrl.RunUploadTcp(1, kIp, p, s.List("d.bmp"), 0, 5); },
       Cat({kCheck, DotStream({0x1B, 0x6F, 0x00, 0x1B, 0x40})}), false},
      {[&](const std::string& port) { return ctrl.RunCommandTcp(0, "127.0.0.1", port, 0, 2, 0); },
       Cat({kCheck, all, {0x1D, 0x56, 0x42, 0x01}}), true},  // "All" in "Double High"
      {[&](const std::string& port) { return ctrl.RunCommandTcp(3, "127.0.0.1", port, 4, 1, 0); },
       Cat({kCheck, {0x1C, 0x65}}), false},
  };
  for (const Case& c : cases) {
    // The printer answers only where the job reads the answer: a reply
    // left unread makes the close reset the connection, and the printer
    // may then lose the end of the stream.
    TcpPeer peer({.answerCheck = c.replyRead});
    EXPECT_EQ(c.run(peer.PortText()), JobOk);
    EXPECT_EQ(peer.Received(), c.expected);
  }
  EXPECT_TRUE(s.messages.shown.empty());
}

// A printer that hangs up, or stops reading until the 10 s stall bound of
// a send ends the job (here through a clock 100 times fast).
TEST(EndToEndTcp, FailsWhenThePrinterHangsUpOrStopsReading) {
  Printers s;
  CNVUploadCtrl ctrl(s.messages);
  TcpPeer hangUp({.hangUpAfter = 1000});
  auto start = Clock::now();
  EXPECT_EQ(ctrl.RunUploadTcp(0, "127.0.0.1", hangUp.PortText(), s.List("t.bmp", 8), 0, 5),
            JobStreamFailed);
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_NE(ctrl.LastPortError().code, 0);
  EXPECT_EQ(ctrl.LastPortError().device, "127.0.0.1:" + hangUp.PortText());

  ScaledClock clock(100);
  ScriptedStack sockets;  // 4 KB send buffers: a stalled printer stalls the sender soon
  sockets.sendBuffer = 4096;
  SystemPortProvider ports(s.messages, clock, std::nullopt, sockets);
  CNVUploadCtrl stalled(ports, clock);
  TcpPeer stops({.stopReadingAfter = 200, .receiveBuffer = 4096});
  start = Clock::now();
  EXPECT_EQ(stalled.RunUploadTcp(0, "127.0.0.1", stops.PortText(), s.List("t.bmp", 12), 0, 5),
            JobStreamFailed);
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_EQ(stalled.LastPortError().code, ETIMEDOUT);
  EXPECT_EQ(stops.Count(), 200u);
}

TEST(EndToEndSerial, UploadsAndPrintsOnCom1) {
  Printers s;
  struct Case {
    std::function<int(CNVUploadCtrl&)> run;
    Bytes expected;
  } cases[] = {
      {[&](auto& c) { return c.RunUpload(0, "COM1", 10, 0, 0, 0, 0, s.List("t.bmp"), 0, 5); },
       ThermalStream(200, 100, {0x19, 0x00, 0x0D, 0x00})},
      {[&](auto& c) { return c.RunUpload(1, "COM1", 6, 0, 1, 0, 0, s.List("d.bmp"), 0, 5); },
       DotStream({0x1B, 0x40, 0x1B, 0x6F, 0x00})},
      {[&](CNVUploadCtrl& c) { return c.RunCommand(0, "COM1", 10, 0, 0, 0, 0, 2, 3, 4); },  // 2-4
       Cat({kCheck, {0x1C, 0x70, 0x02, 0x33, 0x1C, 0x70, 0x03, 0x33, 0x1C, 0x70, 0x04, 0x33,
                     0x1D, 0x56, 0x42, 0x01}})},
      {[&](CNVUploadCtrl& c) { return c.RunCommand(1, "COM1", 10, 0, 2, 0, 0, 0, 0, 0); },
       Cat({kCheck, kDotFeedCut})},
  };
  for (const Case& c : cases) {
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    std::filesystem::remove(s.devices.File("ttyS0"));
    EXPECT_EQ(c.run(*s.Attach("ttyS0", peer)), JobOk);
    EXPECT_EQ(peer.Received(), c.expected);
  }
}

TEST(EndToEndSerial, FailsTheCheckOfASilentPrinterAndNamesAMissingDevice) {
  Printers s;
  PtyPeer peer({.answerCheck = false});
  ASSERT_TRUE(peer.Ok());
  auto ctrl = s.Attach("ttyS0", peer);
  EXPECT_EQ(ctrl->RunCommand(0, "COM1", 10, 0, 0, 0, 0, 0, 0, 0), JobCheckFailed);
  EXPECT_EQ(peer.Received(), kCheck);
  EXPECT_EQ(ctrl->RunCommand(0, "COM2", 10, 0, 0, 0, 0, 0, 0, 0), JobOpenFailed);
  EXPECT_EQ(ctrl->LastPortError().device, s.devices.File("ttyS1"));
}

TEST(EndToEndSerial, FailsWhenThePrinterHangsUpOrStopsReading) {
  Printers s;
  for (bool hangUp : {true, false}) {
    PeerOptions options;
    (hangUp ? options.hangUpAfter : options.stopReadingAfter) = 1000;
    PtyPeer peer(options);
    ASSERT_TRUE(peer.Ok());
    ScaledClock clock(100);  // a byte may wait 7,680 ms at code 10
    std::filesystem::remove(s.devices.File("ttyS0"));
    auto ctrl = s.Attach("ttyS0", peer, clock);
    const auto start = Clock::now();
    EXPECT_EQ(ctrl->RunUpload(0, "COM1", 10, 0, 0, 0, 0, s.List("t.bmp", 12), 0, 5),
              JobStreamFailed) << hangUp;
    EXPECT_LT(Seconds(start), 2.0);
    EXPECT_NE(ctrl->LastPortError().code, 0);
  }
}

// Two USB "Thermal" uploads in a row: the first job closed the device, so
// the second can open it.
TEST(EndToEndUsb, UploadsTwiceInARow) {
  Printers s;
  PtyPeer peer;
  ASSERT_TRUE(peer.Ok());
  auto ctrl = s.Attach("usb/lp0", peer);
  EXPECT_EQ(ctrl->RunUpload(0, "USB", 0, 0, 0, 0, 0, s.List("s.bmp"), 0, 5), JobOk);
  EXPECT_EQ(ctrl->RunUpload(0, "USB", 0, 0, 0, 0, 0, s.List("s.bmp"), 0, 5), JobOk);
  const Bytes one = ThermalStream(16, 8, {0x02, 0x00, 0x01, 0x00});
  EXPECT_EQ(peer.Received(), Cat({one, one}));
}

}  // namespace
}  // namespace brindle
