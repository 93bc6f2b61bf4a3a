// Real jobs on real transports, over TCP loopback and over a pseudo-terminal
// opened as "COM1" through a test device directory: the printer receives
// the stream byte for byte; one that hangs up mid-stream fails the job,
// which names the transport.
#include <gtest/gtest.h>

#include "DotLayout.h"
#include "device/NVUploadCtrl.h"
#include "support/DeviceFixtures.h"
#include "support/FakeMessageBox.h"
#include "support/Peers.h"

namespace brindle {
namespace {

using namespace test;

TEST(EndToEnd, UploadsAndFailsWhenThePrinterHangsUp) {
  TempDir dir, devices;
  dir.Write("t.bmp", Bmp1(200, 100, false, Stripes));
  dir.Write("d.bmp", Bmp1(300, 20, false, Stripes));
  const std::string t = dir.File("t.bmp") + "|";
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages, SystemClock::Instance(), DeviceDirectory(devices.str()));
  TcpPeer tcp, tcpHangUp({.hangUpAfter = 1000});
  EXPECT_EQ(ctrl.RunUploadTcp(0, "127.0.0.1", tcp.PortText(), t, 0, 5), JobOk);
  Bytes expected = {0x1D, 0x49, 0x01, 0x1B, 0x40, 0x1C, 0x71, 0x01, 0x19, 0x00, 0x0D, 0x00};
  const Bytes raster = ImageBlock(200, 100, Stripes).second;
  expected.insert(expected.end(), raster.begin(), raster.end());
  EXPECT_EQ(tcp.Received(), expected);
  EXPECT_EQ(ctrl.RunUploadTcp(0, "127.0.0.1", tcpHangUp.PortText(), t + t + t, 0, 5),
            JobStreamFailed);
  EXPECT_EQ(ctrl.LastPortError().device, "127.0.0.1:" + tcpHangUp.PortText());
  EXPECT_TRUE(messages.shown.empty());

  PtyPeer pty, ptyHangUp({.hangUpAfter = 100});
  MakeDevice(devices, "ttyS0", pty.SlavePath());
  EXPECT_EQ(ctrl.RunUpload(1, "COM1", 6, 0, 1, 0, 0, dir.File("d.bmp") + "|", 0, 5), JobOk);
  expected = {0x1B, 0x40, 0x1B, 0x6F, 0x00};
  for (const Bytes& p : DotPackets(300, 20, Stripes)) {
    expected.insert(expected.end(), p.begin(), p.end());
  }
  EXPECT_EQ(pty.Received(), expected);
  std::filesystem::remove(devices.File("ttyS0"));
  MakeDevice(devices, "ttyS0", ptyHangUp.SlavePath());
  EXPECT_EQ(ctrl.RunUpload(0, "COM1", 10, 0, 0, 0, 0, t, 0, 5), JobStreamFailed);
  EXPECT_EQ(ctrl.LastPortError().device, devices.File("ttyS0"));
  EXPECT_NE(ctrl.LastPortError().code, 0);
}

}  // namespace
}  // namespace brindle
