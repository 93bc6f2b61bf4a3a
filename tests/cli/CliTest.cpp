// brindle-cli's options and what each command hands to the job object.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "app/FakeUploadCtrl.h"
#include "support/TempDir.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/OpenFailure.h"

namespace brindle::cli {
namespace {

using test::FakeUploadCtrl;

struct CliCall {
  FakeUploadCtrl ctrl;
  std::ostringstream out, err;
  std::string reason;
  int status = -1;

  explicit CliCall(const std::vector<std::string>& args, int jobResult = JobOk) {
    ctrl.bitmaps["/l/mono.bmp"] = {1, 64, 256};
    ctrl.bitmaps["/l/gray.bmp"] = {8, 120, 200};
    ctrl.bitmaps["/l/wide.bmp"] = {24, 10, 600};
    ctrl.bitmaps["/l/huge1.bmp"] = {1, 400, 4096};
    ctrl.result = jobResult;
    const ParseResult parsed = ParseOptions(args);
    if (!parsed.options) {
      status = kExitUsage;
      err << parsed.error;
      return;
    }
    Environment env{out, err, [this] { return reason; }};
    status = RunCli(*parsed.options, ctrl, env);
  }
};

TEST(CliOptions, UsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"burn"},
      {"upload"},
      {"upload", "--port", "COM13", "a.bmp"},
      {"upload", "--baud", "300", "a.bmp"},
      {"upload", "--level", "11", "a.bmp"},
      {"upload", "--level"},
      {"upload", "--parity", "mark", "a.bmp"},
      {"upload", "--select", "1", "a.bmp"},
      {"erase", "extra"},
      {"printout", "--size", "4"},
      {"printout", "--port", "TCP/IP"},
      {"convert", "a.bmp", "b.bmp"},
      {"info", "--port", "COM1", "a.bmp"},
      {"upload", "--tcp-port", "70000", "--port", "TCP/IP", "--ip", "1.2.3.4", "a.bmp"},
      {"printout", "--select", "1-99999999999"}, {"printout", "--select", "0"},
      {"printout", "--select", "a"}, {"printout", "--select", "3-2"},
      {"printout", "--select", "1-256"}, {"printout", "--select", "2-"},
      {"erase", "--port", "COM2", "--ip", "10.0.0.1"},
  };
  for (const auto& args : bad) {
    const ParseResult r = ParseOptions(args);
    EXPECT_FALSE(r.options) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(r.error.empty());
  }
  EXPECT_NE(ParseOptions({"printout", "--select", "3-2"}).error.find("'3-2'"), std::string::npos);
}

TEST(CliOptions, DefaultsMatchTheWindow) {
  const auto o = ParseOptions({"upload", "a.bmp"}).options;
  ASSERT_TRUE(o);
  EXPECT_EQ(o->port, "COM1");
  EXPECT_EQ(o->baudCode, 7);
  EXPECT_EQ(o->parity, 0);
  EXPECT_EQ(o->device, 0);
  EXPECT_EQ(o->halftone, 0);
  EXPECT_EQ(o->level, 5);
  EXPECT_EQ(o->tcpPort, "9100");
  // "--" ends the options: what follows is a file, whatever its name.
  const auto files = ParseOptions({"info", "a.bmp", "--", "--level", "-"}).options;
  ASSERT_TRUE(files);
  EXPECT_EQ(files->files, (std::vector<std::string>{"a.bmp", "--level", "-"}));
}

TEST(CliRun, UploadHandsOverWhatTheUploadButtonWould) {
  CliCall serial({"upload", "--port", "COM3", "--baud", "115200", "--parity", "odd", "--device",
              "dot", "--halftone", "diffusion", "--level", "8", "/l/mono.bmp", "/l/gray.bmp"});
  EXPECT_EQ(serial.status, 0);
  EXPECT_EQ(serial.ctrl.calls.back(), "RunUpload 1,COM3,10,0,2,0,0,/l/mono.bmp|/l/gray.bmp|,1,8");
  EXPECT_EQ(serial.out.str(),
            "Upload finished, and Writing of bit image completed. Logo becomes available after "
            "the reset of a device.\n");
  EXPECT_EQ(serial.err.str(), "A Dot printer stores one logo: only /l/mono.bmp is stored.\n");

  CliCall tcp({"upload", "--ip", "127.0.0.1", "--tcp-port", "9101", "/l/gray.bmp"});
  EXPECT_EQ(tcp.ctrl.calls.back(), "RunUploadTcp 0,127.0.0.1,9101,/l/gray.bmp|,0,5");

  CliCall rates({"upload", "--baud", "1200", "/l/gray.bmp"});
  EXPECT_EQ(rates.ctrl.calls.back(), "RunUpload 0,COM1,3,0,0,0,0,/l/gray.bmp|,0,5");
  CliCall rates2({"upload", "--baud", "57600", "/l/gray.bmp"});
  EXPECT_EQ(rates2.ctrl.calls.back(), "RunUpload 0,COM1,9,0,0,0,0,/l/gray.bmp|,0,5");
}

TEST(CliRun, ARejectedFileOrTooManyFilesSendNothing) {
  std::vector<std::string> many = {"upload"};
  many.insert(many.end(), 256, "/l/gray.bmp");
  CliCall r(many);
  EXPECT_EQ(r.status, kExitRejected);
  EXPECT_TRUE(r.ctrl.calls.empty());
  EXPECT_EQ(r.err.str(), "brindle-cli: 256 files given; a printer takes at most 255 logos\n");
  // Why, after the window's fixed text.
  const std::pair<const char*, const char*> refused[] = {
      {"/l/wide.bmp", "too large: 600 \u00D7 10, at most 512 \u00D7 648"},
      {"/l/huge1.bmp", "too large: 4096 \u00D7 400, at most 196608 bytes of dots"},
      {"/l/missing.bmp", "no such file"},
      {"/l/a|b.bmp", "a '|' in its name"},
  };
  for (const auto& [file, why] : refused) {
    CliCall r({"upload", "/l/gray.bmp", file});
    EXPECT_EQ(r.status, kExitRejected);
    EXPECT_TRUE(r.ctrl.calls.empty());
    EXPECT_EQ(r.err.str(), std::string(file) + ": Out of range bitmap file. (" + why + ")\n");
  }
}

TEST(CliRun, JobResultsBecomeExitStatusesWithTheWindowsText) {
  const struct {
    int result, status;
  } cases[] = {{JobOpenFailed, 1}, {JobPortSetupFailed, 2}, {JobCheckFailed, 3},
               {JobStreamFailed, 4}};
  for (const auto& c : cases) {
    CliCall r({"upload", "/l/mono.bmp"}, c.result);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out.str(), "");
    EXPECT_EQ(r.err.str().rfind("Communication error. Can not be transmitted.\n", 0), 0u);
  }
}

TEST(CliRun, OpenFailuresSayWhy) {
  FakeUploadCtrl ctrl;
  ctrl.result = JobOpenFailed;
  std::ostringstream out, err;
  Environment env{out, err, [] { return std::string("/dev/ttyS0: permission denied"); }};
  EXPECT_EQ(RunCli(*ParseOptions({"erase"}).options, ctrl, env), 1);
  EXPECT_EQ(err.str(),
            "Communication error. Can not be transmitted.\n/dev/ttyS0: permission denied\n");
}

// The advice names the group that really owns the device, and says when
// only root may write it.
TEST(CliRun, PermissionAdviceFollowsTheDevicesGroupAndMode) {
  test::TempDir dir;
  dir.Write("lp0", "");
  dir.Write("ttyS0", "");
  const group* lp = ::getgrnam("lp");
  ASSERT_NE(lp, nullptr);
  ASSERT_EQ(::chown(dir.File("lp0").c_str(), static_cast<uid_t>(-1), lp->gr_gid), 0);
  ::chmod(dir.File("lp0").c_str(), 0660);
  ::chmod(dir.File("ttyS0").c_str(), 0600);
  EXPECT_EQ(ExplainOpenFailure({EACCES, dir.File("lp0")}, "LPT1"),
            dir.File("lp0") + ": permission denied; members of the group 'lp' may use it "
                              "(sudo usermod -aG lp $USER, then log in again)");
  EXPECT_EQ(ExplainOpenFailure({EACCES, dir.File("ttyS0")}, "COM1"),
            dir.File("ttyS0") + ": permission denied; only root may use it");
  EXPECT_EQ(ExplainOpenFailure({EBUSY, "/dev/usb/lp0"}, "USB"),
            "/dev/usb/lp0: busy; another program holds the port");
}

TEST(CliRun, EraseAndPrintoutHandOverWhatTheirButtonsWould) {
  CliCall erase({"erase", "--port", "LPT2"});
  EXPECT_EQ(erase.ctrl.calls.back(), "RunCommand 3,LPT2,7,0,0,0,0,0,0,0");
  EXPECT_EQ(erase.out.str(),
            "Upload finished, and Cleaning of NV Image completed.  Logo becomes available after "
            "the reset of a device.\n");

  CliCall all({"printout", "--size", "2"});
  EXPECT_EQ(all.ctrl.calls.back(), "RunCommand 0,COM1,7,0,0,0,0,0,2,0");
  CliCall range({"printout", "--port", "TCP/IP", "--ip", "10.0.0.9", "--device", "dot", "--select",
             "2-4"});
  EXPECT_EQ(range.ctrl.calls.back(), "RunCommandTcp 1,10.0.0.9,9100,2,0,4");
  EXPECT_EQ(range.out.str(), "");
  CliCall single({"printout", "--select", "3"});
  EXPECT_EQ(single.ctrl.calls.back(), "RunCommand 0,COM1,7,0,0,0,0,3,0,0");
  CliCall last({"printout", "--select", "1-255"});
  EXPECT_EQ(last.ctrl.calls.back(), "RunCommand 0,COM1,7,0,0,0,0,1,0,255");
}

TEST(CliRun, InfoListsSizesAndAcceptance) {
  // The path as given, an unprintable byte escaped so that it keeps its line.
  CliCall r({"info", "/l/mono.bmp", "/l/wide.bmp", "/l/no\nne\\.bmp"});
  EXPECT_EQ(r.out.str(),
            "/l/mono.bmp 256 64 1 2048 accepted -\n"
            "/l/wide.bmp 600 10 24 1200 rejected -\n"
            "/l/no\\x0Ane\\x5C.bmp - - - - rejected -\n");
  EXPECT_EQ(r.status, kExitRejected);
  CliCall ok({"info", "/l/gray.bmp"});
  EXPECT_EQ(ok.status, 0);
}

TEST(CliRun, ConvertCopiesThePictureThePreviewShows) {
  test::TempDir dir;
  const std::string source = dir.File("mono.bmp");
  dir.Write("mono.bmp", "BM-one-bit-bytes");
  FakeUploadCtrl ctrl;
  ctrl.bitmaps[source] = {1, 8, 8};
  std::ostringstream out, err;
  Environment env{out, err, {}};
  const auto o = ParseOptions({"convert", source, "--output", dir.File("out.bmp")}).options;
  EXPECT_EQ(RunCli(*o, ctrl, env), 0);
  EXPECT_EQ(dir.Read("out.bmp"), "BM-one-bit-bytes");
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile " + source + ",0,5");
}

TEST(CliRun, HelpForEachCommand) {
  CliCall all({"--help"});
  EXPECT_EQ(all.status, 0);
  EXPECT_NE(all.out.str().find("brindle-cli info"), std::string::npos);
  CliCall upload({"upload", "--help"});
  EXPECT_NE(upload.out.str().find("port options:"), std::string::npos);
  EXPECT_EQ(upload.out.str().find("brindle-cli erase"), std::string::npos);
}

}  // namespace
}  // namespace brindle::cli
