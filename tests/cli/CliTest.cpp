// brindle-cli's options and what each command hands to the job object.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "app/FakeUploadCtrl.h"
#include "support/TempDir.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/OpenFailure.h"

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
// info lists paths as given, an unprintable byte escaped so that each
// keeps its line, "--" ending the options.
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
    int status = 0;
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
  };
  for (const auto& c : cases) {
    CliCall r(c.line);
    EXPECT_EQ(std::tuple(r.status, r.Call(), r.out.str(), r.err.str()),
              std::tuple(c.status, c.call, c.out, c.err));
  }
}

// A file that cannot be used, or more than 255, stops the upload before
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

// Failed jobs give their exit status and the window's text on standard
// error; a port that did not open says why on the next line.
TEST(CliRun, JobResultsBecomeExitStatusesWithTheWindowsText) {
  const std::tuple<int, const char*, int, std::string> cases[] = {
      {JobOpenFailed, "why", 1, kCommError + "why\n"}, {JobOpenFailed, "", 1, kCommError},
      {JobPortSetupFailed, "why", 2, kCommError},     {JobCheckFailed, "why", 3, kCommError},
      {JobStreamFailed, "why", 4, kCommError}};
  for (const auto& [result, why, status, err] : cases) {
    for (const char* line : {"upload /l/mono.bmp", "erase", "printout"}) {
      CliCall r(line, result, why);
      EXPECT_EQ(std::tuple(r.status, r.out.str(), r.err.str()), std::tuple(status, "", err))
          << line;
    }
  }
}

// The advice names the group that really owns the device, and says when
// only root may write it.
TEST(CliRun, OpenFailuresSayWhy) {
  test::TempDir dir;
  dir.Write("lp0", "");
  dir.Write("ttyS0", "");
  ASSERT_EQ(::chown(dir.File("lp0").c_str(), -1, ::getgrnam("lp")->gr_gid), 0);
  ::chmod(dir.File("lp0").c_str(), 0660);
  ::chmod(dir.File("ttyS0").c_str(), 0600);
  const std::tuple<int, std::string, const char*, std::string> cases[] = {
      {EACCES, dir.File("lp0"), "LPT1",
       ": permission denied; members of the group 'lp' may use it (sudo usermod -aG lp $USER, "
       "then log in again)"},
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

// convert copies the picture the preview shows; one it cannot read is 73.
TEST(CliRun, ConvertCopiesThePictureThePreviewShows) {
  test::TempDir dir;
  dir.Write("mono.bmp", "BM-one-bit-bytes");
  test::FakeUploadCtrl ctrl;
  ctrl.bitmaps = {{dir.File("mono.bmp"), {1, 8, 8}}, {"/l/gray.bmp", {8, 8, 8}}};
  std::ostringstream out, err;
  Environment env{out, err, {}};
  const auto o = ParseOptions(Words("convert " + dir.File("mono.bmp") +
                                    " --level 7 --halftone diffusion --output " + dir.File("o")));
  EXPECT_EQ(RunCli(*o.options, ctrl, env), 0);
  EXPECT_EQ(dir.Read("o"), "BM-one-bit-bytes");
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile " + dir.File("mono.bmp") + ",1,7");
  EXPECT_EQ(RunCli(*ParseOptions(Words("convert /l/gray.bmp")).options, ctrl, env), 73);
  EXPECT_EQ(err.str(), "/l/gray.bmp: cannot make the converted picture\n");
}

TEST(CliRun, HelpForEachCommand) {
  CliCall all("--help");
  EXPECT_EQ(all.status, 0);
  EXPECT_NE(all.out.str().find("brindle-cli ports"), std::string::npos);
  const std::string upload = CliCall("upload --help").out.str();
  EXPECT_NE(upload.find("port options:"), std::string::npos);
  EXPECT_EQ(upload.find("brindle-cli erase"), std::string::npos);
}

}  // namespace
}  // namespace brindle::cli
