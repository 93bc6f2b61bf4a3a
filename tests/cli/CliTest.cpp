// brindle-cli below its process: options, what each command hands to the
// job object, many printers, and the reports of status and ports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "app/FakeUploadCtrl.h"
#include "support/TempDir.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/Fleet.h"
#include "tools/cli/Json.h"
#include "tools/cli/OpenFailure.h"
#include "tools/cli/PortsReport.h"
#include "tools/cli/StatusReport.h"

namespace brindle::cli {
namespace {

const std::string kCommError = "Communication error. Can not be transmitted.\n";

// The words of a command line, as a shell splits it ('' is an empty word).
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w == "''" ? "" : w);
  return words;
}

// One command on a job object whose pictures under /l/ "load".
struct CliCall {
  test::FakeUploadCtrl ctrl;
  std::ostringstream out, err;
  int status = kExitUsage;

  explicit CliCall(const std::string& line, int result = JobOk, const std::string& why = "") {
    ctrl.bitmaps = {{"/l/mono.bmp", {1, 64, 256}}, {"/l/gray.bmp", {8, 120, 200}},
                    {"/l/wide.bmp", {24, 10, 600}}, {"/l/huge1.bmp", {1, 400, 4096}}};
    ctrl.result = result;
    const ParseResult parsed = ParseOptions(Words(line));
    Environment env{out, err, [why] { return why; }};
    if (parsed.options) status = RunCli(*parsed.options, ctrl, env);
    err << parsed.error;
  }
  std::string Call() const { return ctrl.calls.empty() ? "" : ctrl.calls.back(); }
};

TEST(CliOptions, UsageErrors) {
  for (const char* line :
       {"", "burn", "upload", "upload --port COM13 a", "upload --baud 300 a", "upload --level",
        "upload --level 11 a", "upload --parity mark a", "upload --device ink a",
        "upload --halftone dots a", "upload --select 1 a", "erase extra", "printout --size 4",
        "printout --port TCP/IP", "convert a b", "convert", "convert a --output ''",
        "info --port COM1 a", "upload --ip 1.2.3.4 --tcp-port 70000 a", "printout --select 0",
        "printout --select 1-99999999999", "printout --select a", "printout --select 3-2",
        "printout --select 1-256", "printout --select 2-", "erase --port COM2 --ip 10.0.0.1",
        "erase --jobs 2", "erase --printers p --ip 10.0.0.1", "erase --printers p --port USB",
        "erase --printers p --tcp-port 1", "erase --printers p --jobs 65", "erase --printers ''",
        "ports --port USB", "status x"}) {
    EXPECT_FALSE(ParseOptions(Words(line)).options) << line;
  }
  EXPECT_EQ(CliCall("printout --select 3-2").err.str(),
            "--select takes N or N-M with 1 <= N <= M <= 255, not '3-2'");
  EXPECT_TRUE(ParseOptions(Words("status --json")).options);
}

// Each command's arguments reach the job as the window's buttons pass them;
// a failed job gives its exit status and the window's text, then why the
// port did not open. info lists paths as given, an unprintable byte
// escaped, "--" ending the options; a preview convert cannot read is 73.
TEST(CliRun, CommandsHandOverWhatTheirButtonsWould) {
  const std::string uploaded =
      "Upload finished, and Writing of bit image completed. Logo becomes available after the "
      "reset of a device.\n";
  const std::string erased =
      "Upload finished, and Cleaning of NV Image completed.  Logo becomes available after the "
      "reset of a device.\n";
  const struct {
    const char *line, *call;
    std::string out, err = "";
    int status = 0, result = JobOk;
    const char* why = "";
  } cases[] = {
      {"upload --port COM3 --baud 115200 --parity odd --device dot --halftone diffusion "
       "--level 8 /l/mono.bmp /l/gray.bmp",
       "RunUpload 1,COM3,10,0,2,0,0,/l/mono.bmp|/l/gray.bmp|,1,8", uploaded,
       "A Dot printer stores one logo: only /l/mono.bmp is stored.\n"},
      {"upload --ip 127.0.0.1 --tcp-port 9101 --device dot /l/gray.bmp",
       "RunUploadTcp 1,127.0.0.1,9101,/l/gray.bmp|,0,5", uploaded},
      {"upload --baud 1200 --parity even /l/gray.bmp",
       "RunUpload 0,COM1,3,0,1,0,0,/l/gray.bmp|,0,5", uploaded},
      {"upload --baud 57600 --parity none --halftone none /l/gray.bmp",
       "RunUpload 0,COM1,9,0,0,0,0,/l/gray.bmp|,0,5", uploaded},
      {"erase --port LPT2", "RunCommand 3,LPT2,7,0,0,0,0,0,0,0", erased},
      {"erase --ip 10.0.0.2", "RunCommandTcp 3,10.0.0.2,9100,0,0,0", erased},
      {"printout --size 2", "RunCommand 0,COM1,7,0,0,0,0,0,2,0", ""},
      {"printout --port TCP/IP --ip 10.0.0.9 --device dot --select 2-4",
       "RunCommandTcp 1,10.0.0.9,9100,2,0,4", ""},
      {"printout --device thermal --select 3", "RunCommand 0,COM1,7,0,0,0,0,3,0,0", ""},
      {"printout --select 1-255", "RunCommand 0,COM1,7,0,0,0,0,1,0,255", ""},
      {"info /l/gray.bmp /l/mono.bmp", "",
       "/l/gray.bmp 200 120 8 3000 accepted -\n/l/mono.bmp 256 64 1 2048 accepted -\n"},
      {"info /l/wide.bmp -- --no\x01ne\x7F\\.bmp", "",
       "/l/wide.bmp 600 10 24 1200 rejected -\n--no\\x01ne\\x7F\\x5C.bmp - - - - rejected -\n",
       "", kExitRejected},
      {"convert /l/gray.bmp --level 7 --halftone diffusion", "MakePreviewFile /l/gray.bmp,1,7",
       "", "/l/gray.bmp: cannot make the converted picture\n", kExitCannotCreate},
      {"erase --port LPT2", "RunCommand 3,LPT2,7,0,0,0,0,0,0,0", "", kCommError + "why\n", 1,
       JobOpenFailed, "why"},
      {"erase --ip 10.0.0.2", "RunCommandTcp 3,10.0.0.2,9100,0,0,0", "", kCommError, 1,
       JobOpenFailed},
      {"printout --size 2", "RunCommand 0,COM1,7,0,0,0,0,0,2,0", "", kCommError, 2,
       JobPortSetupFailed, "why"},
      {"printout --select 1-255", "RunCommand 0,COM1,7,0,0,0,0,1,0,255", "", kCommError, 3,
       JobCheckFailed, "why"},
      {"upload --baud 1200 --parity even /l/gray.bmp",
       "RunUpload 0,COM1,3,0,1,0,0,/l/gray.bmp|,0,5", "", kCommError, 4, JobStreamFailed, "why"},
  };
  for (const auto& c : cases) {
    CliCall r(c.line, c.result, c.why);
    EXPECT_EQ(std::tuple(r.status, r.Call(), r.out.str(), r.err.str()),
              std::tuple(c.status, c.call, c.out, c.err));
  }
}

// A file that cannot be used, or more than 255, stops the job before
// anything is sent; why follows the window's fixed text.
TEST(CliRun, ARejectedFileOrTooManyFilesSendNothing) {
  std::string many = "upload";
  for (int i = 0; i < 255; ++i) many += " /l/gray.bmp";
  EXPECT_EQ(CliCall(many).status, 0);
  CliCall r(many + " /l/gray.bmp");
  EXPECT_EQ(std::tuple(r.status, r.ctrl.calls.size(), r.err.str()),
            std::tuple(kExitRejected, 0u, "brindle-cli: 256 files given; a printer takes at most "
                                          "255 logos\n"));
  test::TempDir dir;
  dir.Write("notes.bmp", "not a picture");
  dir.Write("cut.png", "\x89PNG\r\n\x1A\nIHDR");
  ASSERT_EQ(::mkfifo(dir.File("fifo.bmp").c_str(), 0600), 0);
  const std::pair<std::string, const char*> refused[] = {
      {"/l/wide.bmp", "too large: 600 \u00D7 10, at most 512 \u00D7 648"},
      {"/l/huge1.bmp", "too large: 4096 \u00D7 400, at most 196608 bytes of dots"},
      {"/l/missing.bmp", "no such file"},
      {"/l/a|b.bmp", "a '|' in its name"},
      {dir.File("notes.bmp"), "not a BMP, PNG, JPEG or GIF file"},
      {dir.File("cut.png"), "a damaged or unsupported png file"},
      {dir.File("fifo.bmp"), "not a regular file"},
  };
  for (const auto& [file, why] : refused) {
    for (const std::string& line : {"upload /l/gray.bmp " + file, "convert " + file}) {
      CliCall r(line);
      EXPECT_EQ(std::tuple(r.status, r.ctrl.calls.size(), r.err.str()),
                std::tuple(kExitRejected, 0u,
                           file + ": Out of range bitmap file. (" + why + ")\n"));
    }
  }
}

// Why a port did not open, per cause; "only root" when the device's group
// may not write it (a group's advice: the ports process test).
TEST(CliRun, OpenFailuresSayWhy) {
  test::TempDir dir;
  dir.Write("ttyS0", "");
  ::chmod(dir.File("ttyS0").c_str(), 0600);
  const std::tuple<int, std::string, const char*, std::string> cases[] = {
      {EPERM, dir.File("ttyS0"), "COM1", ": permission denied; only root may use it"},
      {EACCES, "/l/gone", "COM1", ": permission denied"},
      {EBUSY, "", "LPT1", ": busy; another program holds the port"},
      {EWOULDBLOCK, "/dev/usb/lp0", "USB", ": busy; another program holds the port"},
      {ENXIO, "/dev/ttyS5", "COM6", ": no such port on this computer"},
      {EIO, "/dev/lp1", "LPT2", ": Input/output error"},
  };
  for (const auto& [code, device, port, why] : cases) {
    EXPECT_EQ(ExplainOpenFailure({code, device}, port), (device.empty() ? port : device) + why);
  }
  EXPECT_EQ(ExplainOpenFailure({0, ""}, "USB"),
            "no USB printer found (none of usb/lp0 ... usb/lp15 could be opened)");
  EXPECT_EQ(ExplainOpenFailure({0, ""}, "COM1"), "");
}

// A command's help leaves out the others' (all of it: the package check).
TEST(CliRun, HelpForOneCommand) {
  const CliCall upload("upload --help");
  EXPECT_EQ(upload.status, 0);
  EXPECT_NE(upload.out.str().find("port options:"), std::string::npos);
  EXPECT_EQ(upload.out.str().find("brindle-cli erase"), std::string::npos);
}

TEST(PrinterList, ReadsAddressesPortsCommentsAndDuplicates) {
  const PrinterList list = ParsePrinterList(
      "# shops\n10.0.0.1\n \t10.0.0.2:9101  # back office\n\n10.0.0.1:9100\r\n192.168.1.7:1");
  std::string texts;
  for (const PrinterAddress& p : list.printers) texts += p.Text() + " ";
  EXPECT_EQ(texts + list.error, "10.0.0.1:9100 10.0.0.2:9101 192.168.1.7:1 ");
  EXPECT_EQ(list.warnings,
            std::vector<std::string>{"line 5: 10.0.0.1:9100 is listed twice; it is run once"});
  for (const std::string bad : {"printer.local", "10.0.0.1:0", "10.0.0.1:65536", "10.0.0.1:",
                                "1.2.3", "10.0.0.1:91x"}) {
    EXPECT_EQ(ParsePrinterList("10.0.0.9\n" + bad).error,
              "line 2: '" + bad + "' is not ADDRESS or ADDRESS:PORT");
  }
}

// Every printer runs once, `jobs` at a time, its line as it finishes, then
// the summary; the JSON report (its order with real printers: the process test).
TEST(Fleet, RunsEveryPrinterWithinTheBoundAndReportsEach) {
  std::vector<PrinterAddress> printers;
  for (int i = 1; i <= 9; ++i) printers.push_back({"10.0.0." + std::to_string(i)});
  std::atomic<int> running{0}, most{0}, calls{0};
  const PrinterJob job = [&](const PrinterAddress& p) {
    most = std::max(most.load(), ++running);
    for (int i = 0; i < 100 && running < 3; ++i) {  // waits for the others: the bound is reached
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    --running;
    ++calls;
    const bool ok = p.ip != "10.0.0.4";
    return PrinterOutcome{ok, ok ? 0 : 4, ok ? "" : "Communication \"error\"", 0.25, 12};
  };
  std::ostringstream out, one, json;
  EXPECT_EQ(RunFleet(printers, 3, false, job, out, nullptr), kExitSomePrintersFailed);
  EXPECT_EQ(std::tuple(calls.load(), most.load()), std::tuple(9, 3));
  EXPECT_NE(out.str().find("10.0.0.4:9100 failed (status 4): Communication \"error\"\n"),
            std::string::npos);
  EXPECT_TRUE(out.str().ends_with("9 printers: 8 ok, 1 failed\n"));
  EXPECT_EQ(RunFleet({printers[0]}, 8, false, job, one, nullptr), 0);
  EXPECT_EQ(one.str(), "10.0.0.1:9100 ok\n1 printers: 1 ok, 0 failed\n");
  RunFleet({printers[3], printers[0]}, 1, true, job, json, nullptr);
  EXPECT_EQ(json.str(),
            "[\n {\"printer\": \"10.0.0.4:9100\", \"ok\": false, \"status\": 4, \"message\": "
            "\"Communication \\\"error\\\"\", \"seconds\": 0.250, \"bytes\": 12},\n {\"printer\": "
            "\"10.0.0.1:9100\", \"ok\": true, \"status\": 0, \"message\": \"\", \"seconds\": "
            "0.250, \"bytes\": 12}\n]\n");
  EXPECT_EQ(JsonString("a\"\\\n\r\t\x01\x7F\u00E9"), "\"a\\\"\\\\\\n\\r\\t\\u0001\\u007f\u00E9\"");
}

// What each status bit means; an answer without the fixed bits is not
// taken for a status.
TEST(PrinterStatusReport, NamesEveryConditionAndTheUnknown) {
  PrinterStatus s;
  s.status = {0x12, 0x7E, 0x7E, 0x72};
  s.identity[0] = std::vector<std::uint8_t>{0x00, 0x41};
  EXPECT_EQ(StatusText(s),
            "printer: on-line (12)\n"
            "off-line cause: cover open, paper being fed by the feed button, printing stopped at "
            "the paper end, an error occurred (7E)\n"
            "error cause: mechanical error, cutter error, unrecoverable error, auto-recoverable "
            "error (7E)\n"
            "paper sensor: paper out (72)\nmodel: 00 41\ntype: no answer\nfirmware: no answer\n");
  s.status = {0xFF, std::nullopt, 0x12, 0x1A};
  s.identity[1] = std::vector<std::uint8_t>{0x41};
  EXPECT_TRUE(StatusText(s).starts_with("printer: unexpected answer FF\noff-line cause: no "
                                        "answer\nerror cause: none (12)\npaper sensor: none"));
  EXPECT_EQ(StatusJson(s),
            "{\"answered\": true, \"offLine\": null, \"coverOpen\": null, \"paperFedByButton\": "
            "null, \"stoppedAtPaperEnd\": null, \"error\": null, \"mechanicalError\": false, "
            "\"cutterError\": false, \"unrecoverableError\": false, \"autoRecoverableError\": "
            "false, \"paperNearEnd\": false, \"paperOut\": false, \"statusBytes\": [255, null, "
            "18, 26], \"model\": {\"hex\": \"00 41\", \"text\": \"\"}, \"type\": {\"hex\": "
            "\"41\", \"text\": \"A\"}, \"firmware\": null}\n");
}

// The ports as JSON (their columns are checked by the ports process test).
TEST(PortsReport, Json) {
  const std::vector<PortEntry> entries = {
      {"LPT1", "/d/lp0", true, false, "permission denied", "only root may use it", false},
      {"USB", "/d/usb/lp10", true, true, "", "", true}};
  EXPECT_EQ(PortsJson(entries),
            "[\n {\"port\": \"LPT1\", \"device\": \"/d/lp0\", \"exists\": true, \"writable\": "
            "false, \"reason\": \"permission denied\", \"remedy\": \"only root may use it\", "
            "\"selected\": false},\n {\"port\": \"USB\", \"device\": \"/d/usb/lp10\", "
            "\"exists\": true, \"writable\": true, \"reason\": \"\", \"remedy\": \"\", "
            "\"selected\": true}\n]\n");
}

}  // namespace
}  // namespace brindle::cli
