// The built brindle-cli as a user runs it, against brindle-printer.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include "support/Peers.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::RunProcess;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;
using std::chrono::seconds;

const std::string kCli = BRINDLE_CLI_EXE, kPrinter = BRINDLE_PRINTER_EXE;
const std::string kSamples = BRINDLE_SOURCE_DIR "/res/samples/";
const std::string kCommError = "Communication error. Can not be transmitted.";

// A picture's pixels as 8-bit grey values, read by ImageMagick.
std::string GrayPixels(const std::string& path) {
  return RunProcess({"/usr/bin/convert", path, "-colorspace", "gray", "-depth", "8", "gray:-"}).out;
}

class CliProcess : public ::testing::Test {
 protected:
  test::TempDir dir;
  const test::Env devices = {{"BRINDLE_DEVICE_DIR", dir.str()}};

  // brindle-cli run in the test's folder.
  test::ProcessResult Cli(Strings args, const test::Env& env = {}) {
    args.insert(args.begin(), kCli);
    return RunProcess(args, env, dir.str());
  }
};

// Over TCP and as COM1 to a Dot printer (a link in the device directory,
// gone with the printer): a colour logo on a transparent background is
// stored as the preview shows it, on white; printed (a Dot printer feeds
// 7 lines of 30 dots after it), the state asked (each answer in its field:
// the identity here, the status bytes in the off-line case below), erased.
class CliJobs : public CliProcess, public ::testing::WithParamInterface<bool> {};

TEST_P(CliJobs, UploadPrintoutStatusAndErase) {
  const bool com = GetParam();
  ASSERT_EQ(RunProcess({"/usr/bin/convert", "-size", "120x48", "xc:none", "-fill", "#d8342c",
                        "-draw", "circle 30,24 30,4", "-fill", "black", "-draw",
                        "rectangle 60,8 110,40", "PNG32:logo.png"}, {}, dir.str()).status, 0);
  test::BackgroundProcess printer({kPrinter, com ? "--link" : "--port",
                                   com ? dir.File("ttyS0") : "0", "--out", dir.File("out"),
                                   "--status", "paper-near-end", "--id", "20,02,312E30"});
  const std::string first = printer.ReadLine();  // "listening on 127.0.0.1:PORT", or the pty
  Strings where = {"--ip", "127.0.0.1", "--tcp-port", first.substr(first.rfind(':') + 1)};
  if (com && !printer.ReadLine().empty()) where = {};  // once the link is made
  auto run = [&](Strings args) {
    args.insert(args.begin() + 1, where.begin(), where.end());
    const auto r = Cli(args, devices);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(printer.ReadLine(), "");  // the connection's summary: it is done
    return r.out;
  };
  const std::string halftone = com ? "diffusion" : "none";
  const std::string device = com ? "dot" : "thermal";
  run({"upload", "--baud", "115200", "--device", device, "--halftone", halftone, "logo.png"});
  const std::string stored = GrayPixels(dir.File(com ? "out/dot-logo.png" : "out/nv-1.png"));
  ASSERT_EQ(stored.size(), 120u * 48u);
  EXPECT_EQ(std::pair(stored[0], stored[20 * 120 + 80]), std::pair('\xFF', '\0'));  // white, black
  EXPECT_EQ(Cli({"convert", "logo.png", "--halftone", halftone, "--output", "p.bmp"}).status, 0);
  EXPECT_TRUE(stored == GrayPixels(dir.File("p.bmp")));  // the preview
  run({"printout", "--device", device, "--select", "1", "--size", com ? "0" : "3"});
  EXPECT_EQ(GrayPixels(dir.File("out/page-1.png")).size(), com ? 120u * (48 + 7 * 30) : 240u * 96u);
  EXPECT_EQ(run({"status"}),
            "printer: on-line (12)\noff-line cause: none (12)\nerror cause: none (12)\n"
            "paper sensor: paper near its end (1E)\nmodel: 20 \" \"\ntype: 02\n"
            "firmware: 31 2E 30 \"1.0\"\n");
  run({"erase"});
  EXPECT_FALSE(dir.Exists("out/nv-1.png"));
  EXPECT_EQ(printer.Stop(), 0);
  EXPECT_FALSE(dir.Exists("ttyS0"));
}

INSTANTIATE_TEST_SUITE_P(Ports, CliJobs, ::testing::Bool());

// One upload on 8 printers, 4 at a time: 4 healthy, 1 hanging up, 2 that
// stop reading (their bytes are sent but never taken: no success; 10 s
// each), 1 refusing; the JSON report says which failed, in the list's order.
TEST_F(CliProcess, UploadsToManyPrintersAndReportsEachOne) {
  std::deque<test::TcpPrinter> printers;
  test::UniqueSocket refusing;
  std::string list = "# the stores\n";
  Strings objects;
  for (int i = 0; i < 8; ++i) {
    const std::string port =
        i == 7 ? std::to_string(refusing.Bind())
               : printers.emplace_back(dir.File("out" + std::to_string(i)),
                                       i < 4    ? Strings{}
                                       : i == 4 ? Strings{"--close-after", "500"}
                                                : Strings{"--stall-after", "500"}).port;
    const std::string printer = "127.0.0.1:" + port;
    list += printer + (i == 7 ? "  # closed\n" : "\n");
    objects.push_back("{\"printer\": \"" + printer + "\", \"ok\": " +
                      (i < 4   ? "true, \"status\": 0, \"message\": \"\""
                       : i < 7 ? "false, \"status\": 4, \"message\": \"" + kCommError
                               : "false, \"status\": 1, \"message\": \"Fail to Connection to "
                                 "POSPrinter(IP=127.0.0.1 Port=" + port + "); " + kCommError +
                                     "; " + printer + ": Connection refused\""));
  }
  dir.Write("stores.txt", list);
  const auto start = Clock::now();
  const auto r = Cli({"upload", "--printers", "stores.txt", "--jobs", "4", "--json",
                      kSamples + "mono-shop.bmp", kSamples + "colour-fruit.bmp"});
  EXPECT_LT(Clock::now() - start, seconds(14));
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10);
  for (std::size_t i = 0, at = 0; i < 8; ++i) {
    at = r.out.find(objects[i], at);
    EXPECT_NE(at, std::string::npos) << objects[i] << r.out;
  }
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(dir.Exists("out" + std::to_string(i) + "/nv-2.png"));
}

// Run as an ordinary user, ports says in columns which devices exist,
// which this user may open (or the remedy), which USB printer jobs use.
TEST_F(CliProcess, PortsShowsDevicesAndWhoMayOpenThem) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the command as another user";
  fs::create_directory(dir.File("usb"));
  for (const char* device : {"ttyS0", "lp0", "usb/lp1"}) dir.Write(device, "");
  ::chmod(dir.File("ttyS0").c_str(), 0666);
  ::chmod(dir.File("usb/lp1").c_str(), 0666);
  ::chmod(dir.File("lp0").c_str(), 0660);
  ASSERT_EQ(::chown(dir.File("lp0").c_str(), 0, ::getgrnam("lp")->gr_gid), 0);
  const auto r = RunProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                             "--clear-groups", kCli, "ports"}, devices);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& expected :
       {"COM1   " + dir.File("ttyS0") + "     may be opened\n",
        "COM2   " + dir.File("ttyS1") + "     missing\n",
        "LPT1   " + dir.File("lp0") + "       permission denied; members of the group 'lp' may "
        "use it (sudo usermod -aG lp $USER, then log in again)\n",
        "USB    " + dir.File("usb/lp0") + "   missing\n",
        "USB    " + dir.File("usb/lp1") + "   may be opened (used by USB jobs now)\n"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << r.out;
  }
}

// Each failure ends at once (an off-line printer's unanswered questions:
// 3 s) with its status and why; info refuses a FIFO (an open would block).
TEST_F(CliProcess, FailuresAreExplained) {
  ASSERT_EQ(::mkfifo(dir.File("f.bmp").c_str(), 0600), 0);
  test::BackgroundProcess com3(
      {kPrinter, "--link", dir.File("ttyS2"), "--reply", "none", "--out", dir.File("out")});
  com3.ReadLine();
  com3.ReadLine();
  test::TcpPrinter offline(dir.File("out"), {"--status", "paper-out,error"});
  test::TcpPrinter silent(dir.File("out"), {"--silent"});
  const struct {
    Strings args;
    int status;
    std::string out, err;
    int limit = 2;  // seconds
  } cases[] = {
      {{kCli, "upload"}, 64, "", "brindle-cli: no FILE given\nusage:\n"},
      {{kCli, "erase", "--ip", "127.0.0.1", "--tcp-port", "1"}, 1, "",
       "Fail to Connection to POSPrinter(IP=127.0.0.1 Port=1)\n" + kCommError +
           "\n127.0.0.1:1: Connection refused\n"},
      {{kCli, "printout", "--port", "COM3"}, 3, "", kCommError + "\n"},
      {{kCli, "status", "--ip", "127.0.0.1", "--tcp-port", offline.port}, 0,
       "printer: off-line (1A)\noff-line cause: printing stopped at the paper end, an error "
       "occurred (72)\nerror cause: mechanical error (16)\npaper sensor: paper near its end, "
       "paper out (7E)\nmodel: no answer\ntype: no answer\nfirmware: no answer\n", "", 4},
      {{kCli, "status", "--json", "--ip", "127.0.0.1", "--tcp-port", silent.port}, 3,
       "{\"answered\": false, \"offLine\": null", ""},
      {{kCli, "status", "--port", "COM2"}, 1, "",
       kCommError + "\n" + dir.File("ttyS1") + ": no such port on this computer\n"},
      {{"/bin/sh", "-c", "mkdir g && cd g && rmdir ../g && exec \"$0\" convert \"$1\"", kCli,
        kSamples + "gray-cafe.bmp"},
       73, "", "./Temp.bmp: cannot write the picture (No such file or directory)\n"},
      {{kCli, "info", "f.bmp"}, 65, "f.bmp - - - - rejected -\n", ""},
      {{kCli, "--version"}, 0, "brindle-cli 3.10\n", ""},
      {{kPrinter, "--version"}, 0, "brindle-printer 3.10\n", ""},
  };
  for (const auto& c : cases) {
    const auto start = Clock::now();
    const auto r = RunProcess(c.args, devices, dir.str());
    EXPECT_LT(Clock::now() - start, seconds(c.limit)) << c.args[1];
    EXPECT_EQ(r.status, c.status) << c.args[1];
    EXPECT_TRUE(r.out.starts_with(c.out) && r.err.starts_with(c.err)) << r.out << r.err;
  }
}

// convert writes only its --output (default ./Temp.bmp), never the input,
// replacing a symbolic link; its work folder is gone after it, also after
// a signal.
TEST_F(CliProcess, ConvertWritesOnlyItsOutput) {
  test::TempDir tmp;
  const test::Env env = {{"TMPDIR", tmp.str()}};
  fs::copy_file(kSamples + "colour-fruit.bmp", dir.File("Temp.bmp"));
  const std::string colour = dir.Read("Temp.bmp");
  EXPECT_EQ(Cli({"convert", "Temp.bmp", "--output", "out.bmp"}, env).status, 0);
  const auto r = Cli({"convert", "Temp.bmp"}, env);
  EXPECT_EQ(std::tuple(r.status, r.err),
            std::tuple(64, "./Temp.bmp: --output names the input file\n"));
  fs::rename(dir.File("Temp.bmp"), dir.File("victim.bmp"));
  fs::create_symlink("victim.bmp", dir.File("Temp.bmp"));
  EXPECT_EQ(Cli({"convert", kSamples + "gray-cafe.bmp", "--halftone", "diffusion"}, env).status,
            0);
  EXPECT_EQ(dir.Read("victim.bmp"), colour);
  EXPECT_FALSE(fs::is_symlink(dir.File("Temp.bmp")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);  // and out.bmp, victim.bmp
  EXPECT_TRUE(fs::is_empty(tmp.path()));

  test::TcpPeer stuck({.answerCheck = false, .stopReadingAfter = 0});
  test::BackgroundProcess upload({kCli, "upload", "--ip", "127.0.0.1", "--tcp-port",
                                  stuck.PortText(), "--halftone", "diffusion",
                                  kSamples + "gray-cafe.bmp"}, env);
  // Stopped once its private folder holds the diffusion's TempTe.bmp.
  const auto adjusted = [&] {
    for (const auto& d : fs::directory_iterator(tmp.path())) {
      return fs::exists(d.path() / "TempTe.bmp");
    }
    return false;
  };
  for (int i = 0; i < 100 && !adjusted(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(adjusted());
  upload.Stop();
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

}  // namespace
}  // namespace brindle
