// The job runner on logging ports: transport, check, stream, result, close.
#include <gtest/gtest.h>

#include "DotLayout.h"
#include "device/NVUploadCtrl.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

// Logs each open and gives out logging ports (open after 0 and -2).
struct Job final : IPortProvider {
  OpenedPort OpenSerial(const std::string& name, int baud, int bits, int parity, int stop,
                        int handshake) override {
    std::string call = name;
    for (int n : {baud, bits, parity, stop, handshake}) call += " " + std::to_string(n);
    return Open(call);
  }
  OpenedPort OpenParallel(const std::string& name) override { return Open(name); }
  OpenedPort OpenUsbPrinter() override { return Open("USB"); }
  OpenedPort ConnectTcp(const std::string& ip, const std::string& port) override {
    return Open(ip + ":" + port);
  }
  OpenedPort Open(const std::string& call) {
    log.push_back(Call(call));
    auto port = std::make_unique<LogPort>(log);
    port->open = open == 0 || open == -2;
    port->replies = replies;
    port->failingWrites = fail;
    port->finishResult = finish;
    port->error = {open == 0 ? 0 : ENOENT, "/dev/x"};
    return {open, std::move(port)};
  }
  // Upload or command `job` (0 prints image 3 "Double Wide"); "" is TCP/IP.
  int Run(bool upload, int job, const std::string& port) {
    dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
    const std::string list = dir.File(gone ? "gone.bmp" : "a.bmp") + "|";
    if (upload && port.empty()) return ctrl.RunUploadTcp(job, "10.0.0.5", "9100", list, 0, 5);
    if (upload) return ctrl.RunUpload(job, port, 6, 0, 2, 0, 0, list, 0, 5);
    if (port.empty()) return ctrl.RunCommandTcp(job, "10.0.0.5", "9100", 3, 1, 0);
    return ctrl.RunCommand(job, port, 6, 0, 2, 0, 0, 3, 1, 0);
  }

  int open = 0, finish = 1;
  std::set<std::size_t> fail;
  std::deque<Bytes> replies = {{0x0D}};
  bool gone = false;  // the logo file is missing
  Log log;
  LogClock clock{log};
  CNVUploadCtrl ctrl{*this, clock};
  TempDir dir;
};

const Image k8 = ImageBlock(8, 8, Stripes);
const Log kThermal = ThermalLog(PortKind::Com, {k8}), kThermalUsb = ThermalLog(PortKind::Usb, {k8});
const auto k8Dots = DotPackets(8, 8, Stripes);
const Log kDot = DotLog(PortKind::Com, k8Dots), kDotUsb = DotLog(PortKind::Usb, k8Dots);
const Log kDotTcp = DotLog(PortKind::Tcp, k8Dots);
const Log kPrint = {W({0x1C, 0x70, 0x03, 0x31}), W({0x1D, 0x56, 0x42, 0x01})};
const Log kErase = {W({0x1C, 0x65})}, kEnd = {Closed()};
const Log kAsk = {W({0x1D, 0x49, 0x01})}, kAskRead = kAsk + Log{Rd(50)};
const Log kCom = {Call("COM1 6 0 2 0 0")}, kLpt = {Call("LPT1")}, kUsb = {Call("USB")};
const Log kTcp = {Call("10.0.0.5:9100")};

// Uploads check only over TCP/IP, only "Thermal" reading the reply. Commands
// check: over COM judging the reply (CR or space first), elsewhere reading
// it for a Thermal printout (code 0) only. Code 3 erases, others print Dot.
TEST(JobRunner, RunsTheCheckAndStreamOfThePortAndJob) {
  const struct {
    bool upload;
    int job;
    const char* port;
    int result;
    Log expected;
    const char* reply = "\r";  // "": silence
    int open = 0;
    std::set<std::size_t> fail = {};
    int finish = 1;
  } rows[] = {
      {true, 0, "COM1", JobOk, kCom + kThermal + kEnd},
      {true, 0, "LPT1", JobOk, kLpt + kThermal + kEnd},
      {true, 0, "USB", JobOk, kUsb + kThermalUsb + kEnd},
      {true, 0, "", JobOk, kTcp + kAskRead + kThermal + kEnd},
      {true, 2, "COM1", JobOk, kCom + kDot + kEnd},
      {true, 1, "USB", JobOk, kUsb + kDotUsb + kEnd},
      {true, 1, "", JobOk, kTcp + kAsk + kDotTcp + kEnd},
      {false, 0, "COM1", JobOk, kCom + kAskRead + kPrint + kEnd, " A"},
      {false, 3, "COM1", JobOk, kCom + kAskRead + kErase + kEnd},
      {false, 0, "LPT1", JobOk, kLpt + kAskRead + kPrint + kEnd, "A\r"},
      {false, 1, "LPT1", JobOk, kLpt + kAsk + kDotPrint + kEnd},
      {false, 3, "USB", JobOk, kUsb + kAsk + kErase + kEnd},
      {false, 0, "", JobOk, kTcp + kAskRead + kPrint + kEnd, ""},
      {false, 2, "", JobOk, kTcp + kAsk + kDotPrint + kEnd},
      {false, 3, "", JobOk, kTcp + kAsk + kErase + kEnd},
      {true, 1, "USB", JobOpenFailed, kUsb, "\r", -1},
      {false, 0, "COM1", JobOpenFailed, kCom, "\r", -1},
      {true, 0, "", JobOpenFailed, kTcp, "\r", -1},
      {true, 0, "COM1", JobPortSetupFailed, kCom + kEnd, "\r", -2},
      {false, 0, "COM1", JobCheckFailed, kCom + kAskRead + kEnd, "A\r"},
      {false, 1, "COM1", JobCheckFailed, kCom + kAskRead + kEnd, ""},
      {false, 3, "USB", JobCheckFailed, kUsb + kAsk + kEnd, "\r", 0, {0}},
      {true, 1, "", JobCheckFailed, kTcp + kAsk + kEnd, "\r", 0, {0}},
      {true, 0, "COM1", JobStreamFailed, kCom + Head(kThermal, 5) + kEnd, "\r", 0, {3}},
      {true, 1, "USB", JobStreamFailed, kUsb + kDotUsb + kEnd, "\r", 0, {1}},
      {false, 1, "USB", JobStreamFailed, kUsb + kAsk + Head(kDotPrint, 1) + kEnd, "\r", 0, {1}},
      {true, 0, "", JobStreamFailed, kTcp + kAskRead + kThermal + kEnd, "\r", 0, {}, 0},
  };
  for (const auto& row : rows) {
    Job job;
    job.open = row.open;
    job.finish = row.finish;
    job.fail = row.fail;
    const std::string reply = row.reply;
    job.replies.assign(!reply.empty(), Bytes(reply.begin(), reply.end()));
    EXPECT_EQ(job.Run(row.upload, row.job, row.port), row.result) << row.port << row.job;
    EXPECT_TRUE(SameLog(job.log, row.expected)) << row.port << row.job;
    EXPECT_TRUE(row.result != JobOk || job.ctrl.LastPortError().code == 0);
  }
}

// A missing logo fails the stream. A job keeps the transport's account of a
// failure until a job succeeds.
TEST(JobRunner, KeepsTheCauseOfTheLastFailure) {
  Job job;
  job.gone = true;
  EXPECT_EQ(job.Run(true, 0, "LPT1"), JobStreamFailed);
  EXPECT_TRUE(SameLog(job.log, kLpt + kEnd));
  job.open = -1;
  EXPECT_EQ(job.Run(true, 0, "COM1"), JobOpenFailed);
  EXPECT_EQ(job.ctrl.LastPortError().device, "/dev/x");
  job.open = 0;
  job.fail = {1};
  EXPECT_EQ(job.Run(false, 0, ""), JobStreamFailed);
  EXPECT_EQ(job.ctrl.LastPortError().code, EIO);
  job.fail.clear();
  EXPECT_EQ(job.Run(false, 3, ""), JobOk);
  EXPECT_EQ(job.ctrl.LastPortError().code, 0);
  EXPECT_FALSE(job.ctrl.IsWin9xPlatform());
}

// Status asks DLE EOT 1-4 and GS I 1-3 unchecked. Silence at the first
// (awaited 1 s) fails the check; a failed write ends the questions.
TEST(JobRunner, QueriesTheStatus) {
  Log asked;
  for (std::uint8_t n = 1; n <= 4; ++n) asked = asked + Log{W({0x10, 0x04, n}), Rd(64)};
  for (std::uint8_t n = 1; n <= 3; ++n) asked = asked + Log{W({0x1D, 0x49, n}), Rd(64)};
  PrinterStatus status;
  Job answers, silent, broken;
  answers.replies = {{0x12, 0x99}, {0x16}, {0x13}, {0x1E}, {0x20}, {0x02}, {0x31, 0x2E}};
  EXPECT_EQ(answers.ctrl.RunStatusTcp("10.0.0.5", "9100", status), JobOk);
  EXPECT_TRUE(SameLog(answers.log, kTcp + asked + kEnd));
  EXPECT_EQ(status.status[0], 0x12);
  EXPECT_EQ(status.status[3], 0x1E);
  EXPECT_EQ(status.identity[2], Bytes({0x31, 0x2E}));
  silent.replies.clear();
  EXPECT_EQ(silent.ctrl.RunStatus({"COM1", 6, 0, 2, 0, 0}, status), JobCheckFailed);
  Log waited = kCom + Head(asked, 1);
  for (int i = 0; i < 100; ++i) waited = waited + Log{Rd(64), Wait(10)};
  EXPECT_TRUE(SameLog(silent.log, waited + kEnd));
  EXPECT_FALSE(status.Answered());
  broken.replies = {{0x12}, {0x12}, {0x12}, {0x12}};
  broken.fail = {4};
  EXPECT_EQ(broken.ctrl.RunStatusTcp("10.0.0.5", "9100", status), JobStreamFailed);
  EXPECT_TRUE(SameLog(broken.log, kTcp + Head(asked, 9) + kEnd));
}

}  // namespace
}  // namespace brindle
