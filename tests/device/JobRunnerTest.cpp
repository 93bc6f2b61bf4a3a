// The job runner on logging ports: which transport, device check and
// stream each job uses, the job results, the write style `syncIo`, and
// what the job keeps of a failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "BmpFiles.h"
#include "FakePortProvider.h"
#include "Recorder.h"
#include "device/NVUploadCtrl.h"
#include "support/FakeMessageBox.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An 8 x 8 picture of the stripes: columns FF 80 80 FF 80 80 FF 80, the
// same bytes in column and in band order.
const Bytes kRaster = {0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0x80};
const Bytes kBand = {0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x08, 0x00,
                     0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0x80};

Log ThermalBytewise() {
  Log log = {W({0x1B, 0x40}), Wait(100), W({0x1C, 0x71, 0x01}), W({0x01, 0x00, 0x01, 0x00})};
  AddByteWrites(log, kRaster);
  return log;
}
Log Head(const Log& log, std::size_t n) { return Log(log.begin(), log.begin() + n); }

const Log kThermalUsb = {W({0x1B, 0x40, 0x1C, 0x71, 0x01}), W({0x01, 0x00, 0x01, 0x00}), Wait(50),
                         WC(kRaster)};
const Log kDotCom = {W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(100), W(kBand)};
const Log kDotTimed = {W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(50), WT(kBand)};
const Log kDotTcp = {W({0x1B, 0x6F, 0x00, 0x1B, 0x40}), Wait(50), W(kBand)};

const Log kCheck = {W({0x1D, 0x49, 0x01})};
const Log kCheckRead = {W({0x1D, 0x49, 0x01}), Rd(50)};
const Log kPrint3 = {W({0x1C, 0x70, 0x03, 0x31}), W({0x1D, 0x56, 0x42, 0x01})};
const Log kErase = {W({0x1C, 0x65})};
const Log kDotPrint = {W({0x1B, 0x6F, 0x01}), W({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A,
                                                 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D})};
const Log kClose = {Closed()};

struct Job {
  Log log;
  FakePortProvider ports{log};
  LogClock clock{log};
  CNVUploadCtrl ctrl{ports, clock};
  TempDir dir;
  std::string list;

  Job() {
    dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
    list = dir.File("a.bmp") + "|";
    ports.replies = {{0x0D}};
  }
  // An empty port name means TCP/IP.
  int Upload(int device, const std::string& port) {
    if (port.empty()) return ctrl.RunUploadTcp(device, "10.0.0.5", "9100", list, 0, 5);
    return ctrl.RunUpload(device, port, 6, 0, 2, 0, 0, list, 0, 5);
  }
  // Printout of image 3 in "Double Wide" (for code 0).
  int Command(int code, const std::string& port) {
    if (port.empty()) return ctrl.RunCommandTcp(code, "10.0.0.5", "9100", 3, 1, 0);
    return ctrl.RunCommand(code, port, 6, 0, 2, 0, 0, 3, 1, 0);
  }
};

const Log kSerialOpen = {Call("OpenSerial COM1 6 0 2 0 0")};
const Log kParallelOpen = {Call("OpenParallel LPT1 syncIo 0")};
const Log kUsbOpen = {Call("LoadSetupApi"), Call("OpenUsbPrinter")};
const Log kConnect = {Call("ConnectTcp 10.0.0.5:9100")};
const Log kFree = {Call("FreeSetupApi")};

struct Row {
  const char* name;
  int job;  // device family for uploads, command code for commands
  const char* port;
  Log expected;
};

// Uploads: no device check except over TCP/IP, where only "Thermal" reads
// the reply; the stream variant follows the port.
TEST(JobRunner, UploadsRunTheStreamOfThePortAndFamily) {
  const Row rows[] = {
      {"Thermal COM", 0, "COM1", kSerialOpen + ThermalBytewise() + kClose},
      {"Thermal LPT", 0, "LPT1", kParallelOpen + ThermalBytewise() + kClose},
      {"Thermal USB", 0, "USB", kUsbOpen + kThermalUsb + kClose},
      {"Thermal TCP", 0, "", kConnect + kCheckRead + ThermalBytewise() + kClose},
      {"Dot COM", 1, "COM1", kSerialOpen + kDotCom + kClose},
      {"Dot LPT", 1, "LPT1", kParallelOpen + kDotTimed + kClose},
      {"Dot USB", 1, "USB", kUsbOpen + kDotTimed + kClose},
      {"Dot TCP", 1, "", kConnect + kCheck + kDotTcp + kClose},
      {"device 2 is Dot", 2, "COM1", kSerialOpen + kDotCom + kClose},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Job job;
    EXPECT_EQ(job.Upload(row.job, row.port), JobOk);
    EXPECT_TRUE(SameLog(job.log, row.expected));
    EXPECT_EQ(job.ctrl.LastPortError().code, 0);
  }
}

// Printouts and erase: the device check always; the serial check always
// reads the reply, the others only for a Thermal printout (code 0). Code 3
// erases whatever device is selected; other codes print the Dot logo.
TEST(JobRunner, CommandsCheckTheDeviceThenSend) {
  const Row rows[] = {
      {"Thermal printout COM", 0, "COM1", kSerialOpen + kCheckRead + kPrint3 + kClose},
      {"Dot printout COM", 1, "COM1", kSerialOpen + kCheckRead + kDotPrint + kClose},
      {"erase COM", 3, "COM1", kSerialOpen + kCheckRead + kErase + kClose},
      {"Thermal printout LPT", 0, "LPT1", kParallelOpen + kCheckRead + kPrint3 + kClose},
      {"Dot printout LPT", 1, "LPT1", kParallelOpen + kCheck + kDotPrint + kClose},
      {"erase LPT", 3, "LPT1", kParallelOpen + kCheck + kErase + kClose},
      {"Thermal printout USB", 0, "USB", kUsbOpen + kCheckRead + kPrint3 + kFree + kClose},
      {"Dot printout USB", 1, "USB", kUsbOpen + kCheck + kDotPrint + kClose},
      {"erase USB", 3, "USB", kUsbOpen + kCheck + kErase + kFree + kClose},
      {"Thermal printout TCP", 0, "", kConnect + kCheckRead + kPrint3 + kClose},
      {"Dot printout TCP", 1, "", kConnect + kCheck + kDotPrint + kClose},
      {"code 2 is a Dot printout", 2, "", kConnect + kCheck + kDotPrint + kClose},
      {"erase TCP", 3, "", kConnect + kCheck + kErase + kClose},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Job job;
    EXPECT_EQ(job.Command(row.job, row.port), JobOk);
    EXPECT_TRUE(SameLog(job.log, row.expected));
  }
}

// Each failure gives its job result, closes what was opened and releases
// the USB library where the job says so.
TEST(JobRunner, MapsFailuresToJobResults) {
  struct Failure {
    const char* name;
    std::function<int(Job&)> run;
    int result;
    Log expected;
  } rows[] = {
      {"USB library missing",
       [](Job& j) { j.ports.loadResult = 0; return j.Upload(0, "USB"); }, JobOpenFailed,
       {Call("LoadSetupApi")}},
      {"USB printer absent (upload)",
       [](Job& j) { j.ports.openResult = -1; return j.Upload(1, "USB"); }, JobOpenFailed,
       kUsbOpen + kFree},
      {"USB printer absent (command)",
       [](Job& j) { j.ports.openResult = -1; return j.Command(0, "USB"); }, JobOpenFailed,
       kUsbOpen + kFree},
      {"COM missing", [](Job& j) { j.ports.openResult = -1; return j.Upload(0, "COM1"); },
       JobOpenFailed, kSerialOpen},
      {"COM3 settings refused (upload)",
       [](Job& j) { j.ports.openResult = -2; return j.ctrl.RunUpload(0, "COM3", 10, 0, 0, 0, 0, j.list, 0, 5); },
       JobPortSetupFailed, Log{Call("OpenSerial COM3 10 0 0 0 0")} + kClose},
      {"COM3 settings refused (command)",
       [](Job& j) { j.ports.openResult = -2; return j.ctrl.RunCommand(3, "COM3", 3, 0, 1, 0, 0, 0, 0, 0); },
       JobPortSetupFailed, Log{Call("OpenSerial COM3 3 0 1 0 0")} + kClose},
      {"LPT missing", [](Job& j) { j.ports.openResult = -1; return j.Command(1, "LPT1"); },
       JobOpenFailed, kParallelOpen},
      {"no connection", [](Job& j) { j.ports.openResult = -1; return j.Upload(0, ""); },
       JobOpenFailed, kConnect},
      {"COM device answers wrongly",
       [](Job& j) { j.ports.replies = {{0x41}}; return j.Command(0, "COM1"); }, JobCheckFailed,
       kSerialOpen + kCheckRead + kClose},
      {"COM device silent, Dot printout",
       [](Job& j) { j.ports.replies.clear(); return j.Command(1, "COM1"); }, JobCheckFailed,
       kSerialOpen + kCheckRead + kClose},
      {"check request not written (USB)",
       [](Job& j) { j.ports.failingWrites = {0}; return j.Command(3, "USB"); }, JobCheckFailed,
       kUsbOpen + kCheck + kFree + kClose},
      {"check request not written (TCP upload)",
       [](Job& j) { j.ports.failingWrites = {0}; return j.Upload(1, ""); }, JobCheckFailed,
       kConnect + kCheck + kClose},
      {"Thermal upload stream fails (COM)",
       [](Job& j) { j.ports.failingWrites = {3}; return j.Upload(0, "COM1"); }, JobStreamFailed,
       kSerialOpen + Head(ThermalBytewise(), 5) + kClose},
      {"Thermal upload stream fails (USB)",
       [](Job& j) { j.ports.failingWrites = {2}; return j.Upload(0, "USB"); }, JobStreamFailed,
       kUsbOpen + kThermalUsb + kFree + kClose},
      {"Dot upload stream fails (USB)",
       [](Job& j) { j.ports.failingWrites = {1}; return j.Upload(1, "USB"); }, JobStreamFailed,
       kUsbOpen + kDotTimed + kClose},
      {"upload of a missing file",
       [](Job& j) { j.list = j.dir.File("gone.bmp") + "|"; return j.Upload(0, "LPT1"); },
       JobStreamFailed, kParallelOpen + kClose},
      {"printout stream fails (USB)",
       [](Job& j) { j.ports.failingWrites = {2}; return j.Command(0, "USB"); }, JobStreamFailed,
       kUsbOpen + kCheckRead + kPrint3 + kFree + kClose},
      {"Dot printout stream fails (USB)",
       [](Job& j) { j.ports.failingWrites = {1}; return j.Command(1, "USB"); }, JobStreamFailed,
       kUsbOpen + kCheck + Log{kDotPrint[0]} + kClose},
      {"printer resets the connection before reading everything (TCP)",
       [](Job& j) { j.ports.finishResult = 0; return j.Upload(0, ""); }, JobStreamFailed,
       kConnect + kCheckRead + ThermalBytewise() + kClose},
      {"erase fails (TCP)",
       [](Job& j) { j.ports.failingWrites = {1}; return j.Command(3, ""); }, JobStreamFailed,
       kConnect + kCheck + kErase + kClose},
  };
  for (Failure& row : rows) {
    SCOPED_TRACE(row.name);
    Job job;
    EXPECT_EQ(row.run(job), row.result);
    EXPECT_TRUE(SameLog(job.log, row.expected));
  }
}

// syncIo: parallel and TCP jobs take the platform query's answer, which
// makes the check strict; USB always has 0; the serial check is strict on
// every platform.
TEST(JobRunner, AppliesTheWriteStyleOfThePlatform) {
  struct Case {
    const char* name;
    bool win9x;
    Bytes reply;  // empty: silence
    int job;
    const char* port;
    bool upload;
    int result;
  } cases[] = {
      {"LPT strict, bad reply", true, {0x41}, 0, "LPT1", false, JobCheckFailed},
      {"LPT strict, space", true, {0x20}, 0, "LPT1", false, JobOk},
      {"LPT strict, silence", true, {}, 0, "LPT1", false, JobCheckFailed},
      {"LPT lenient, bad reply", false, {0x41}, 0, "LPT1", false, JobOk},
      {"LPT lenient, silence", false, {}, 0, "LPT1", false, JobOk},
      {"LPT strict, Dot printout reads nothing", true, {0x41}, 1, "LPT1", false, JobOk},
      {"USB ignores the platform", true, {0x41}, 0, "USB", false, JobOk},
      {"TCP strict, bad reply", true, {0x41}, 0, "", false, JobCheckFailed},
      {"TCP strict, CR", true, {0x0D}, 0, "", false, JobOk},
      {"TCP lenient, bad reply", false, {0x41}, 0, "", false, JobOk},
      {"TCP strict Thermal upload", true, {0x41}, 0, "", true, JobCheckFailed},
      {"TCP strict Dot upload reads nothing", true, {0x41}, 1, "", true, JobOk},
      {"COM strict on any platform", false, {0x41}, 0, "COM1", false, JobCheckFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Job job;
    job.ports.win9x = c.win9x;
    job.ports.replies.clear();
    if (!c.reply.empty()) job.ports.replies.push_back(c.reply);
    EXPECT_EQ(c.upload ? job.Upload(c.job, c.port) : job.Command(c.job, c.port), c.result);
    if (std::string(c.port) == "LPT1") {
      EXPECT_EQ(job.log.front(), Call(std::string("OpenParallel LPT1 syncIo ") + (c.win9x ? "1" : "0")));
    }
    if (c.result == JobCheckFailed) {
      EXPECT_EQ(job.log.back(), Closed());
    }
  }
  Job job;
  job.ports.win9x = true;
  EXPECT_TRUE(job.ctrl.IsWin9xPlatform());
}

// A later USB job opens the device again: the Thermal upload closed it.
TEST(JobRunner, ClosesTheUsbDeviceAfterAThermalUpload) {
  Job job;
  ASSERT_EQ(job.Upload(0, "USB"), JobOk);
  ASSERT_EQ(job.Upload(0, "USB"), JobOk);
  EXPECT_TRUE(SameLog(job.log, kUsbOpen + kThermalUsb + kClose + kUsbOpen + kThermalUsb + kClose));
}

// The job keeps the failing transport's account of the failure for a
// caller that can show it, and forgets it when a job succeeds.
TEST(JobRunner, KeepsTheCauseOfTheLastFailure) {
  Job job;
  job.ports.openResult = -1;
  EXPECT_EQ(job.Upload(0, "COM1"), JobOpenFailed);
  EXPECT_EQ(job.ctrl.LastPortError().code, ENOENT);
  EXPECT_EQ(job.ctrl.LastPortError().device, "/dev/fake");

  job.ports.openResult = 0;
  job.ports.failingWrites = {5};
  EXPECT_EQ(job.Upload(0, "LPT1"), JobStreamFailed);
  EXPECT_EQ(job.ctrl.LastPortError().code, EIO);

  job.ports.failingWrites.clear();
  EXPECT_EQ(job.Command(3, ""), JobOk);
  EXPECT_EQ(job.ctrl.LastPortError().code, 0);
}

TEST(JobRunner, ChoosesThePortKindByTheFirstThreeCharacters) {
  const std::pair<const char*, PortKind> table[] = {
      {"USB", PortKind::Usb},  {"USB001", PortKind::Usb}, {"COM1", PortKind::Com},
      {"COM12", PortKind::Com}, {"COMX", PortKind::Com},  {"LPT1", PortKind::Lpt},
      {"LPT2", PortKind::Lpt},  {"usb", PortKind::Lpt},   {"CO", PortKind::Lpt},
      {"", PortKind::Lpt},      {"TCP/IP", PortKind::Lpt},
  };
  for (auto [name, kind] : table) EXPECT_EQ(PortKindOf(name), kind) << name;
  EXPECT_FALSE(IsWin9xPlatform());
  FakeMessageBox messages;
  CNVUploadCtrl real(messages);
  EXPECT_FALSE(real.IsWin9xPlatform());
}

// The two image operations of the window answer as the image code does.
TEST(JobRunner, AnswersTheImageQueries) {
  FakeMessageBox messages;
  CNVUploadCtrl ctrl(messages);
  TempDir dir;
  dir.Write("c.bmp", Bmp24(30, 20, Stripes));
  dir.Write("m.bmp", Bmp1(30, 20, false, Stripes));
  int bits = -7, height = -7, width = -7;
  EXPECT_EQ(ctrl.QueryBitmapSize(dir.File("c.bmp"), bits, height, width), 0);
  EXPECT_EQ(std::vector<int>({bits, height, width}), std::vector<int>({24, 20, 30}));
  bits = height = width = -7;
  EXPECT_EQ(ctrl.QueryBitmapSize(dir.File("none.bmp"), bits, height, width), -1);
  EXPECT_EQ(std::vector<int>({bits, height, width}), std::vector<int>({-7, -7, -7}));

  EXPECT_EQ(ctrl.MakePreviewFile(dir.File("m.bmp"), 1, 5), dir.File("m.bmp"));
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string preview = ctrl.MakePreviewFile(dir.File("c.bmp"), 0, 5);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(std::filesystem::path(preview), dir.path() / "Temp.bmp");
  EXPECT_TRUE(dir.Exists("Temp.bmp"));
}

}  // namespace
}  // namespace brindle
