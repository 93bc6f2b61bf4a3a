// The job runner on logging ports: which transport, device check and
// stream each job uses, the job results and what the job keeps of a
// failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "DotLayout.h"
#include "device/NVUploadCtrl.h"
#include "device/PortProvider.h"
#include "support/RecordingPort.h"
#include "support/FakeMessageBox.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

// Logs every open into the shared log and hands out
// logging ports with the replies and failing writes the test chose. A port
// exists whatever the result, as with the real transports; it is open
// after 0, and after -2 from a serial open.
class FakePortProvider final : public IPortProvider {
 public:
  explicit FakePortProvider(Log& log) : log_(log) {}
  OpenedPort OpenSerial(const std::string& name, int baud, int bits, int parity, int stop,
                        int handshake) override {
    return Open("OpenSerial " + name + " " + std::to_string(baud) + " " + std::to_string(bits) +
                " " + std::to_string(parity) + " " + std::to_string(stop) + " " +
                std::to_string(handshake));
  }
  OpenedPort OpenParallel(const std::string& name) override {
    return Open("OpenParallel " + name);
  }
  OpenedPort OpenUsbPrinter() override { return Open("OpenUsbPrinter"); }
  OpenedPort ConnectTcp(const std::string& ip, const std::string& port) override {
    return Open("ConnectTcp " + ip + ":" + port);
  }

  int openResult = 0, finishResult = 1;
  std::deque<Bytes> replies;            // given to each port
  std::set<std::size_t> failingWrites;  // given to each port

 private:
  OpenedPort Open(const std::string& call) {
    log_.push_back(Call(call));
    auto port = std::make_unique<LogPort>(log_);
    port->open = openResult == 0 || openResult == -2;
    port->replies = replies;
    port->failingWrites = failingWrites;
    port->finishResult = finishResult;
    port->error = {openResult == 0 ? 0 : ENOENT, "/dev/fake"};
    return {openResult, std::move(port)};
  }
  Log& log_;
};

// An 8 x 8 picture of the stripes: columns FF 80 80 FF 80 80 FF 80, the
// same bytes in column and in band order.
const Bytes kRaster = {0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0x80};
const Bytes kBand = {0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x08, 0x00,
                     0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0x80};
const Log kThermal = [] {
  Log log = {W({0x1B, 0x40}), Wait(100), W({0x1C, 0x71, 0x01}), W({0x01, 0x00, 0x01, 0x00})};
  AddByteWrites(log, kRaster);
  return log;
}();
Log Head(Log log, std::size_t n) {
  log.resize(n);
  return log;
}
const Log kThermalUsb = {W({0x1B, 0x40, 0x1C, 0x71, 0x01}), W({0x01, 0x00, 0x01, 0x00}), Wait(50),
                         WC(kRaster)};
const Log kDotCom = {W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(100), W(kBand)};
const Log kDotTimed = {W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(50), WT(kBand)};
const Log kDotTcp = {W({0x1B, 0x6F, 0x00, 0x1B, 0x40}), Wait(50), W(kBand)};
const Log kAsk = {W({0x1D, 0x49, 0x01})};
const Log kAskRead = kAsk + Log{Rd(50)};
const Log kPrint3 = {W({0x1C, 0x70, 0x03, 0x31}), W({0x1D, 0x56, 0x42, 0x01})};
const Log kErase = {W({0x1C, 0x65})};
const Log kDotPrint = {W({0x1B, 0x6F, 0x01}), W({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A,
                                                 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D})};
const Log kClose = {Closed()};
const Log kCom = {Call("OpenSerial COM1 6 0 2 0 0")};
const Log kLpt = {Call("OpenParallel LPT1")};
const Log kUsb = {Call("OpenUsbPrinter")};
const Log kTcp = {Call("ConnectTcp 10.0.0.5:9100")};

const Bytes kBad = {0x41};  // neither CR nor space

// What a test changes from a job that works: the open and finish results,
// failing writes, the device's reply (none: silence), and a list naming a
// file that is gone.
struct Changes {
  int open = 0, finish = 1;
  std::set<std::size_t> fail = {};
  std::optional<Bytes> reply = Bytes{0x0D};
  bool gone = false;
};

struct Job {
  Log log;
  FakePortProvider ports{log};
  LogClock clock{log};
  CNVUploadCtrl ctrl{ports, clock};
  TempDir dir;
  std::string list;

  explicit Job(const Changes& s = {}) {
    dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
    list = dir.File(s.gone ? "gone.bmp" : "a.bmp") + "|";
    ports.openResult = s.open;
    ports.finishResult = s.finish;
    ports.failingWrites = s.fail;
    if (s.reply) ports.replies = {*s.reply};
  }
  // An upload for device family `job`, or a command of code `job`
  // (printout of image 3 in "Double Wide" for code 0); an empty port name
  // means TCP/IP.
  int Run(bool upload, int job, const std::string& port) {
    if (upload && port.empty()) return ctrl.RunUploadTcp(job, "10.0.0.5", "9100", list, 0, 5);
    if (upload) return ctrl.RunUpload(job, port, 6, 0, 2, 0, 0, list, 0, 5);
    if (port.empty()) return ctrl.RunCommandTcp(job, "10.0.0.5", "9100", 3, 1, 0);
    return ctrl.RunCommand(job, port, 6, 0, 2, 0, 0, 3, 1, 0);
  }
};

// Uploads check the device only over TCP/IP, where only "Thermal" reads
// the reply; the stream variant follows the port. Commands always check;
// the serial check always reads the reply and judges it, the others read
// it only for a Thermal printout (code 0) and let any answer through. Code
// 3 erases; other codes print the Dot logo. Each failure gives its job
// result and closes what was opened.
TEST(JobRunner, RunsTheCheckAndStreamOfThePortAndJobAndMapsTheResults) {
  const struct Row {
    const char* name;
    bool upload;
    int job;
    const char* port;
    Changes setup;
    int result;
    Log expected;
  } rows[] = {
      {"Thermal COM", true, 0, "COM1", {}, JobOk, kCom + kThermal + kClose},
      {"Thermal LPT", true, 0, "LPT1", {}, JobOk, kLpt + kThermal + kClose},
      {"Thermal USB", true, 0, "USB", {}, JobOk, kUsb + kThermalUsb + kClose},
      {"Thermal TCP", true, 0, "", {}, JobOk, kTcp + kAskRead + kThermal + kClose},
      {"Dot COM", true, 1, "COM1", {}, JobOk, kCom + kDotCom + kClose},
      {"Dot LPT", true, 1, "LPT1", {}, JobOk, kLpt + kDotTimed + kClose},
      {"Dot USB", true, 1, "USB", {}, JobOk, kUsb + kDotTimed + kClose},
      {"Dot TCP", true, 1, "", {}, JobOk, kTcp + kAsk + kDotTcp + kClose},
      {"device 2 is Dot", true, 2, "COM1", {}, JobOk, kCom + kDotCom + kClose},
      {"Thermal printout COM", false, 0, "COM1", {}, JobOk, kCom + kAskRead + kPrint3 + kClose},
      {"Dot printout COM", false, 1, "COM1", {}, JobOk, kCom + kAskRead + kDotPrint + kClose},
      {"erase COM", false, 3, "COM1", {}, JobOk, kCom + kAskRead + kErase + kClose},
      {"Thermal printout LPT", false, 0, "LPT1", {}, JobOk, kLpt + kAskRead + kPrint3 + kClose},
      {"Dot printout LPT", false, 1, "LPT1", {}, JobOk, kLpt + kAsk + kDotPrint + kClose},
      {"erase LPT", false, 3, "LPT1", {}, JobOk, kLpt + kAsk + kErase + kClose},
      {"Thermal printout USB", false, 0, "USB", {}, JobOk,
       kUsb + kAskRead + kPrint3 + kClose},
      {"Dot printout USB", false, 1, "USB", {}, JobOk, kUsb + kAsk + kDotPrint + kClose},
      {"erase USB", false, 3, "USB", {}, JobOk, kUsb + kAsk + kErase + kClose},
      {"Thermal printout TCP", false, 0, "", {}, JobOk, kTcp + kAskRead + kPrint3 + kClose},
      {"Dot printout TCP", false, 1, "", {}, JobOk, kTcp + kAsk + kDotPrint + kClose},
      {"code 2 is a Dot printout", false, 2, "", {}, JobOk, kTcp + kAsk + kDotPrint + kClose},
      {"erase TCP", false, 3, "", {}, JobOk, kTcp + kAsk + kErase + kClose},
      // Failures.
      {"USB printer absent", true, 1, "USB", {.open = -1}, JobOpenFailed, kUsb},
      {"COM missing", true, 0, "COM1", {.open = -1}, JobOpenFailed, kCom},
      {"COM refuses settings", true, 0, "COM1", {.open = -2}, JobPortSetupFailed, kCom + kClose},
      {"COM refuses settings (command)", false, 3, "COM1", {.open = -2}, JobPortSetupFailed,
       kCom + kClose},
      {"LPT missing", false, 1, "LPT1", {.open = -1}, JobOpenFailed, kLpt},
      {"no connection", true, 0, "", {.open = -1}, JobOpenFailed, kTcp},
      {"COM answers wrongly", false, 0, "COM1", {.reply = kBad}, JobCheckFailed,
       kCom + kAskRead + kClose},
      {"COM silent, Dot printout", false, 1, "COM1", {.reply = {}}, JobCheckFailed,
       kCom + kAskRead + kClose},
      {"check not written (USB)", false, 3, "USB", {.fail = {0}}, JobCheckFailed,
       kUsb + kAsk + kClose},
      {"check not written (TCP)", true, 1, "", {.fail = {0}}, JobCheckFailed, kTcp + kAsk + kClose},
      {"Thermal upload fails (COM)", true, 0, "COM1", {.fail = {3}}, JobStreamFailed,
       kCom + Head(kThermal, 5) + kClose},
      {"Thermal upload fails (USB)", true, 0, "USB", {.fail = {2}}, JobStreamFailed,
       kUsb + kThermalUsb + kClose},
      {"Dot upload fails (USB)", true, 1, "USB", {.fail = {1}}, JobStreamFailed,
       kUsb + kDotTimed + kClose},
      {"upload of a missing file", true, 0, "LPT1", {.gone = true}, JobStreamFailed, kLpt + kClose},
      {"printout fails (USB)", false, 0, "USB", {.fail = {2}}, JobStreamFailed,
       kUsb + kAskRead + kPrint3 + kClose},
      {"Dot printout fails (USB)", false, 1, "USB", {.fail = {1}}, JobStreamFailed,
       kUsb + kAsk + Head(kDotPrint, 1) + kClose},
      {"printer resets before reading all", true, 0, "", {.finish = 0}, JobStreamFailed,
       kTcp + kAskRead + kThermal + kClose},
      {"erase fails (TCP)", false, 3, "", {.fail = {1}}, JobStreamFailed,
       kTcp + kAsk + kErase + kClose},
      {"LPT lets a bad reply through", false, 0, "LPT1", {.reply = kBad}, JobOk,
       kLpt + kAskRead + kPrint3 + kClose},
      {"TCP lets silence through", false, 0, "", {.reply = {}}, JobOk,
       kTcp + kAskRead + kPrint3 + kClose},
  };
  for (const Row& row : rows) {
    Job job(row.setup);
    EXPECT_EQ(job.Run(row.upload, row.job, row.port), row.result) << row.name;
    EXPECT_TRUE(SameLog(job.log, row.expected)) << row.name;
    EXPECT_TRUE(row.result != JobOk || job.ctrl.LastPortError().code == 0) << row.name;
  }
}

// A later USB job opens the device again: the Thermal upload closed it.
// The job keeps the failing transport's account of a failure for a caller
// that can show it, and forgets it when a job succeeds.
TEST(JobRunner, ClosesTheUsbDeviceAndKeepsTheCauseOfTheLastFailure) {
  Job job;
  ASSERT_EQ(job.Run(true, 0, "USB"), JobOk);
  ASSERT_EQ(job.Run(true, 0, "USB"), JobOk);
  EXPECT_TRUE(SameLog(job.log, kUsb + kThermalUsb + kClose + kUsb + kThermalUsb + kClose));

  job.ports.openResult = -1;
  EXPECT_EQ(job.Run(true, 0, "COM1"), JobOpenFailed);
  EXPECT_EQ(job.ctrl.LastPortError().code, ENOENT);
  EXPECT_EQ(job.ctrl.LastPortError().device, "/dev/fake");
  job.ports.openResult = 0;
  job.ports.failingWrites = {5};
  EXPECT_EQ(job.Run(true, 0, "LPT1"), JobStreamFailed);
  EXPECT_EQ(job.ctrl.LastPortError().code, EIO);
  job.ports.failingWrites.clear();
  EXPECT_EQ(job.Run(false, 3, ""), JobOk);
  EXPECT_EQ(job.ctrl.LastPortError().code, 0);
}

TEST(JobRunner, ChoosesThePortKindByTheFirstThreeCharacters) {
  const std::pair<const char*, PortKind> table[] = {
      {"USB", PortKind::Usb},   {"USB001", PortKind::Usb}, {"COM1", PortKind::Com},
      {"COM12", PortKind::Com}, {"COMX", PortKind::Com},   {"LPT2", PortKind::Lpt},
      {"usb", PortKind::Lpt},   {"CO", PortKind::Lpt},     {"", PortKind::Lpt},
      {"TCP/IP", PortKind::Lpt},
  };
  for (auto [name, kind] : table) EXPECT_EQ(PortKindOf(name), kind) << name;
  FakeMessageBox messages;
  EXPECT_FALSE(CNVUploadCtrl(messages).IsWin9xPlatform());
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
