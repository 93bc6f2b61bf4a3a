// The built brindle-cli as a script runs it: against a recording loopback
// peer and against the virtual printer, with every exit status.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "support/Peers.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::RunProcess;

const std::string kCli = BRINDLE_CLI_EXE;
const std::string kPrinter = BRINDLE_PRINTER_EXE;
const std::string kSamples = std::string(BRINDLE_SOURCE_DIR) + "/res/samples/";

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Dots of a 1-bit BMP, top row first: true where the pixel's colour is
// black. Written here, apart from the program's own reader.
std::vector<std::vector<bool>> BlackDots(const Bytes& bmp) {
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 |
                                      bmp[at + 3] << 24);
  };
  const std::uint32_t offset = u32(10), headerSize = u32(14);
  const int width = static_cast<int>(u32(18)), height = static_cast<int>(u32(22));
  EXPECT_EQ(bmp[28], 1);
  const std::size_t palette = 14 + headerSize;
  auto isBlack = [&](int index) {
    const std::size_t e = palette + 4 * static_cast<std::size_t>(index);
    return bmp[e] + bmp[e + 1] + bmp[e + 2] < 3 * 128;
  };
  const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  std::vector<std::vector<bool>> dots(height, std::vector<bool>(width));
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) dots[y][x] = isBlack(bmp[row + x / 8] >> (7 - x % 8) & 1);
  }
  return dots;
}

// The block of one NV image as the define command carries it: header
// xL xH yL yH, then columns left to right, 8 dots a byte from the top.
Bytes NvBlock(const std::vector<std::vector<bool>>& dots) {
  const int width = static_cast<int>(dots[0].size()), height = static_cast<int>(dots.size());
  const int x = (width + 7) / 8, y = (height + 7) / 8;
  Bytes block = {static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(x / 256),
                 static_cast<std::uint8_t>(y % 256), static_cast<std::uint8_t>(y / 256)};
  for (int col = 0; col < x * 8; ++col) {
    for (int band = 0; band < y; ++band) {
      std::uint8_t byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int row = band * 8 + bit;
        if (row < height && col < width && dots[row][col]) byte |= 0x80 >> bit;
      }
      block.push_back(byte);
    }
  }
  return block;
}

// A picture's pixels as 8-bit gray values, read by ImageMagick.
std::string GrayPixels(const std::string& path) {
  return RunProcess({"/usr/bin/convert", path, "-colorspace", "gray", "-depth", "8", "gray:-"}).out;
}

class CliProcess : public ::testing::Test {
 protected:
  test::TempDir dir;
  // The picture the preview shows for a sample (its conversion), written
  // to the sample's name in the test's folder.
  Bytes Converted(const std::string& sample, const std::string& halftone,
                  const std::string& from = kSamples) {
    const auto r = RunProcess({kCli, "convert", from + sample, "--halftone", halftone,
                               "--output", dir.File("preview-" + sample)});
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadFile(dir.File("preview-" + sample));
  }
};

TEST_F(CliProcess, UploadSendsTheDefineCommandOfTheSamplesInBothModes) {
  for (const std::string halftone : {"none", "diffusion"}) {
    SCOPED_TRACE(halftone);
    test::TcpPeer peer;
    const auto r = RunProcess({kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1",
                               "--tcp-port", peer.PortText(), "--halftone", halftone,
                               kSamples + "mono-shop.bmp", kSamples + "gray-cafe.bmp",
                               kSamples + "colour-fruit.bmp"},
                              {}, dir.str());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Upload finished, and Writing of bit image completed. Logo becomes available after "
              "the reset of a device.\n");
    // Device check, ESC @, FS q 3, then the three blocks in argument order.
    Bytes expected = {0x1D, 0x49, 0x01, 0x1B, 0x40, 0x1C, 0x71, 0x03};
    for (const Bytes& picture : {ReadFile(kSamples + "mono-shop.bmp"),
                                 Converted("gray-cafe.bmp", halftone),
                                 Converted("colour-fruit.bmp", halftone)}) {
      const Bytes block = NvBlock(BlackDots(picture));
      expected.insert(expected.end(), block.begin(), block.end());
    }
    // The sizes by hand: 256 x 64, 200 x 120, 240 x 96 dots.
    const Bytes received = peer.Received();
    ASSERT_EQ(received.size(), 8u + 4 + 2048 + 4 + 3000 + 4 + 2880);
    EXPECT_EQ(Bytes(received.begin() + 8, received.begin() + 12), (Bytes{32, 0, 8, 0}));
    EXPECT_EQ(Bytes(received.begin() + 2060, received.begin() + 2064), (Bytes{25, 0, 15, 0}));
    EXPECT_EQ(Bytes(received.begin() + 5064, received.begin() + 5068), (Bytes{30, 0, 12, 0}));
    EXPECT_EQ(received, expected);
  }
}

TEST_F(CliProcess, ARejectedFileSendsNothing) {
  dir.Write("notes.bmp", "this is not a bitmap");
  test::TcpPeer peer;
  const auto r = RunProcess({kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1",
                             "--tcp-port", peer.PortText(), kSamples + "mono-shop.bmp",
                             dir.File("notes.bmp")});
  EXPECT_EQ(r.status, 65);
  EXPECT_EQ(r.err, dir.File("notes.bmp") +
                       ": Out of range bitmap file. (not a BMP, PNG, JPEG or GIF file)\n");
  EXPECT_TRUE(peer.Received(300).empty());
}

TEST_F(CliProcess, UsageErrorsAndHelp) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{kCli}, {kCli, "upload"}, {kCli, "erase", "--level", "3"},
        {kCli, "printout", "--size", "9"}}) {
    const auto r = RunProcess(args);
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  for (const std::string command : {"upload", "erase", "printout", "convert", "info"}) {
    const auto r = RunProcess({kCli, command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("brindle-cli " + command), std::string::npos);
  }
}

TEST_F(CliProcess, InfoDescribesEachFile) {
  const auto r = RunProcess({kCli, "info", "mono-shop.bmp", "gray-cafe.bmp", "colour-fruit.bmp"},
                            {}, kSamples);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "mono-shop.bmp 256 64 1 2048 accepted bmp\n"
            "gray-cafe.bmp 200 120 8 3000 accepted bmp\n"
            "colour-fruit.bmp 240 96 24 2880 accepted bmp\n");
}

TEST_F(CliProcess, ConnectFailureShowsTheLinkMessageThenTheWindowsText) {
  const auto r = RunProcess({kCli, "erase", "--port", "TCP/IP", "--ip", "127.0.0.1",
                             "--tcp-port", "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("Fail to Connection to POSPrinter(IP=127.0.0.1 Port=1)\n"
                        "Communication error. Can not be transmitted.\n", 0), 0u);
}

TEST_F(CliProcess, MissingAndInaccessibleSerialPortsAreExplained) {
  const std::map<std::string, std::string> env = {{"BRINDLE_DEVICE_DIR", dir.str()}};
  auto r = RunProcess({kCli, "erase", "--port", "COM2"}, env);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Communication error. Can not be transmitted.\n" + dir.File("ttyS1") +
                       ": no such port on this computer\n");
}

// Run as an ordinary user, ports says which devices exist and which this
// user may open, with the remedy, and which USB printer a job would use.
TEST_F(CliProcess, PortsShowsDevicesAndWhoMayOpenThem) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the command as another user";
  dir.Write("ttyS0", "");
  dir.Write("lp0", "");
  std::filesystem::create_directory(dir.File("usb"));
  dir.Write("usb/lp1", "");
  ::chmod(dir.File("ttyS0").c_str(), 0666);
  ::chmod(dir.File("usb/lp1").c_str(), 0666);
  ::chmod(dir.File("lp0").c_str(), 0660);
  ASSERT_EQ(::chown(dir.File("lp0").c_str(), 0, ::getgrnam("lp")->gr_gid), 0);
  const auto r = RunProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                             "--clear-groups", kCli, "ports"},
                            {{"BRINDLE_DEVICE_DIR", dir.str()}});
  ASSERT_EQ(r.status, 0) << r.err;
  // Columns: the name in 7, the device padded to the longest (.../usb/lp10) and 2.
  auto line = [&](const std::string& port, const std::string& device) {
    const std::string path = dir.File(device);
    return port + std::string(7 - port.size(), ' ') + path +
           std::string(dir.str().size() + 11 - path.size(), ' ');
  };
  for (const std::string& expected :
       {line("COM1", "ttyS0") + "may be opened\n", line("COM2", "ttyS1") + "missing\n",
        line("LPT1", "lp0") + "permission denied; members of the group 'lp' may use it (sudo "
                              "usermod -aG lp $USER, then log in again)\n",
        line("USB", "usb/lp0") + "missing\n",
        line("USB", "usb/lp1") + "may be opened (used by USB jobs now)\n"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
}

TEST_F(CliProcess, VersionOfEachProgram) {
  EXPECT_EQ(RunProcess({kCli, "--version"}).out, "brindle-cli 3.10\n");
  EXPECT_EQ(RunProcess({kPrinter, "--version"}).out, "brindle-printer 3.10\n");
}

// convert writes nothing in the user's folder but its --output, which
// replaces a symbolic link instead of writing through it. Its pictures are
// made in a private folder that is gone afterwards.
TEST_F(CliProcess, ConvertWritesOnlyItsOutput) {
  test::TempDir tmp;
  const std::map<std::string, std::string> env = {{"TMPDIR", tmp.str()}};
  const Bytes colour = ReadFile(kSamples + "colour-fruit.bmp");
  fs::copy_file(kSamples + "colour-fruit.bmp", dir.File("Temp.bmp"));
  auto r = RunProcess({kCli, "convert", "Temp.bmp", "--output", "out.bmp"}, env, dir.str());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("Temp.bmp")), colour);
  r = RunProcess({kCli, "convert", "Temp.bmp"}, env, dir.str());
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.err, "./Temp.bmp: --output names the input file\n");
  EXPECT_EQ(ReadFile(dir.File("Temp.bmp")), colour);

  fs::rename(dir.File("Temp.bmp"), dir.File("victim.bmp"));
  fs::create_symlink("victim.bmp", dir.File("Temp.bmp"));
  r = RunProcess({kCli, "convert", kSamples + "gray-cafe.bmp"}, env, dir.str());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("victim.bmp")), colour);
  EXPECT_FALSE(fs::is_symlink(dir.File("Temp.bmp")));
  EXPECT_EQ(ReadFile(dir.File("Temp.bmp")), Converted("gray-cafe.bmp", "none"));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

TEST_F(CliProcess, ConvertIntoAFolderThatCannotBeWrittenExits73) {
  fs::create_directory(dir.File("gone"));
  const std::string script = "cd \"$1\" && rmdir \"$1\" && exec \"$2\" convert \"$3\"";
  const auto r = RunProcess(
      {"/bin/sh", "-c", script, "sh", dir.File("gone"), kCli, kSamples + "gray-cafe.bmp"});
  EXPECT_EQ(r.status, 73);
  EXPECT_EQ(r.err, "./Temp.bmp: cannot write the picture (No such file or directory)\n");
}

TEST_F(CliProcess, TwentyConvertsAtOnceInOneFolderEachGiveTheirOwnPicture) {
  const std::string inputs[] = {"gray-cafe.bmp", "colour-fruit.bmp"};
  const std::string modes[] = {"none", "diffusion"};
  std::string script;
  for (int i = 0; i < 20; ++i) {
    script += kCli + " convert " + kSamples + inputs[i % 2] + " --halftone " + modes[i / 2 % 2] +
              " --output out" + std::to_string(i) + ".bmp & ";
  }
  ASSERT_EQ(RunProcess({"/bin/sh", "-c", script + "wait"}, {}, dir.str()).status, 0);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(ReadFile(dir.File("out" + std::to_string(i) + ".bmp")),
              Converted(inputs[i % 2], modes[i / 2 % 2]))
        << i;
  }
}

// A FIFO would block the open until a writer comes; it is refused at once
// as a file that cannot be used.
TEST_F(CliProcess, AFifoIsRefusedAtOnce) {
  const std::string fifo = dir.File("f.bmp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{kCli, "info", fifo},
        {kCli, "convert", fifo, "--output", dir.File("o.bmp")},
        {kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1", "--tcp-port", "1", fifo}}) {
    const auto start = std::chrono::steady_clock::now();
    const auto r = RunProcess(args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << args[1];
    EXPECT_EQ(r.status, 65) << args[1];
    EXPECT_NE((r.out + r.err).find(args[1] == "info" ? "rejected" : "Out of range bitmap file."),
              std::string::npos);
  }
}

// Ended by a signal, an upload still removes its private picture folder.
TEST_F(CliProcess, ASignalDuringAnUploadStillRemovesThePrivateFolder) {
  test::TempDir tmp;
  test::TcpPeer silent({.answerCheck = false, .stopReadingAfter = 0});
  test::BackgroundProcess upload({kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1",
                                  "--tcp-port", silent.PortText(), "--halftone", "diffusion",
                                  kSamples + "gray-cafe.bmp"},
                                 {{"TMPDIR", tmp.str()}});
  for (int i = 0; i < 100 && fs::is_empty(tmp.path()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(fs::is_empty(tmp.path()));
  upload.Stop();
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

// The virtual printer, reached over TCP and over its pseudo-terminal as COM1.
class CliWithPrinter : public CliProcess {
 protected:
  std::string out() const { return dir.File("out"); }
};

// A colour logo on white paper, as a designer would send it, is stored as
// the preview shows it in either halftone mode.
TEST_F(CliWithPrinter, UploadPrintoutAndEraseOverTcp) {
  ASSERT_EQ(RunProcess({"/usr/bin/convert", "-size", "120x48", "xc:white", "-fill", "#d8342c",
                        "-draw", "circle 30,24 30,4", "-fill", "#f2a01e", "-draw",
                        "rectangle 60,8 110,40", "-type", "TrueColor",
                        "BMP3:" + dir.File("white.bmp")})
                .status,
            0);
  test::BackgroundProcess printer({kPrinter, "--port", "0", "--out", out()});
  const std::string listening = printer.ReadLine();
  ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
  const std::string port = listening.substr(listening.rfind(':') + 1);
  const std::vector<std::string> tcp = {"--port", "TCP/IP", "--ip", "127.0.0.1", "--tcp-port",
                                        port};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin() + 2, tcp.begin(), tcp.end());
    return RunProcess(args, {}, dir.str());
  };
  std::vector<std::string> stored;
  for (const std::string halftone : {"none", "diffusion"}) {
    EXPECT_EQ(with({kCli, "upload", "--halftone", halftone, kSamples + "mono-shop.bmp",
                    dir.File("white.bmp")})
                  .status,
              0);
    printer.ReadLine();
    EXPECT_FALSE(dir.Exists("out/nv-3.png"));
    Converted("white.bmp", halftone, dir.str() + "/");
    stored.push_back(GrayPixels(out() + "/nv-2.png"));
    EXPECT_EQ(stored.back().size(), 120u * 48u);
    EXPECT_TRUE(stored.back() == GrayPixels(dir.File("preview-white.bmp"))) << halftone;
  }
  EXPECT_NE(stored[0], stored[1]);
  EXPECT_EQ(with({kCli, "printout", "--select", "2", "--size", "3"}).status, 0);
  printer.ReadLine();
  EXPECT_TRUE(dir.Exists("out/page-1.png"));
  const auto erase = with({kCli, "erase"});
  EXPECT_EQ(erase.status, 0);
  EXPECT_EQ(erase.out,
            "Upload finished, and Cleaning of NV Image completed.  Logo becomes available after "
            "the reset of a device.\n");
  const std::string summary = printer.ReadLine();
  EXPECT_NE(summary.find("NV 0 images"), std::string::npos) << summary;
}

// A PNG with a transparent background, as a website gives it: the printer
// stores the black bar on white paper.
TEST_F(CliWithPrinter, ATransparentPngIsStoredOnWhite) {
  ASSERT_EQ(RunProcess({"/usr/bin/convert", "-size", "64x24", "xc:none", "+antialias", "-fill",
                        "black", "-draw", "rectangle 8,4 39,15", "PNG32:" + dir.File("logo.png")})
                .status,
            0);
  EXPECT_EQ(RunProcess({kCli, "info", "logo.png"}, {}, dir.str()).out,
            "logo.png 64 24 24 192 accepted png\n");
  test::BackgroundProcess printer({kPrinter, "--port", "0", "--out", out()});
  const std::string listening = printer.ReadLine();
  const auto r = RunProcess({kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1", "--tcp-port",
                             listening.substr(listening.rfind(':') + 1), dir.File("logo.png")},
                            {}, dir.str());
  EXPECT_EQ(r.status, 0) << r.err;
  printer.ReadLine();
  std::string expected;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 64; ++x) expected += (x >= 8 && x < 40 && y >= 4 && y < 16) ? '\0' : '\xFF';
  }
  EXPECT_TRUE(GrayPixels(out() + "/nv-1.png") == expected);
}

TEST_F(CliWithPrinter, SerialJobsThroughTheDeviceDirectory) {
  const std::map<std::string, std::string> env = {{"BRINDLE_DEVICE_DIR", dir.str()}};
  {
    test::BackgroundProcess printer({kPrinter, "--link", dir.File("ttyS0"), "--out", out()});
    ASSERT_NE(printer.ReadLine().find("serial on"), std::string::npos);
    printer.ReadLine();  // the link line
    const auto r = RunProcess({kCli, "upload", "--baud", "115200", "--halftone", "diffusion",
                               kSamples + "gray-cafe.bmp"},
                              env, dir.str());
    EXPECT_EQ(r.status, 0) << r.err;
    printer.ReadLine();  // the connection's summary: the image is stored
    // The stored image is the picture the preview shows for the logo.
    Converted("gray-cafe.bmp", "diffusion");
    const std::string stored = GrayPixels(out() + "/nv-1.png");
    EXPECT_EQ(stored.size(), 200u * 120u);
    EXPECT_TRUE(stored == GrayPixels(dir.File("preview-gray-cafe.bmp")));
  }
  {
    // A printer that never answers the device check, which a printout
    // makes (an upload over a serial line makes none).
    test::BackgroundProcess silent(
        {kPrinter, "--link", dir.File("ttyS0"), "--reply", "none", "--out", out()});
    silent.ReadLine();
    silent.ReadLine();
    EXPECT_EQ(RunProcess({kCli, "printout"}, env).status, 3);
  }
}

// A job succeeds only when the printer has taken every byte: a printer
// that stops reading, a listener that never reads and one that never
// accepts (4 KiB receive buffers, as a real printer has) fail an upload of
// about 30 KB within the 10 s stall bound, with exit 4.
enum class Stall { PrinterStops, NeverReads, NeverAccepts };
class CliStalled : public CliWithPrinter, public ::testing::WithParamInterface<Stall> {};

TEST_P(CliStalled, UploadFailsWithinFifteenSeconds) {
  std::optional<test::BackgroundProcess> printer;
  std::optional<test::TcpPeer> peer;
  test::UniqueSocket listener;
  std::string port;
  if (GetParam() == Stall::PrinterStops) {
    printer.emplace(std::vector<std::string>{kPrinter, "--port", "0", "--stall-after", "100",
                                             "--out", out()});
    const std::string listening = printer->ReadLine();
    port = listening.substr(listening.rfind(':') + 1);
  } else if (GetParam() == Stall::NeverReads) {
    peer.emplace(test::PeerOptions{.stopReadingAfter = 0, .receiveBuffer = 4096});
    port = peer->PortText();
  } else {
    port = std::to_string(listener.Listen(4096));
  }
  std::vector<std::string> args = {kCli, "upload", "--ip", "127.0.0.1", "--tcp-port", port};
  for (int copy = 0; copy < 4; ++copy) {
    for (const char* sample : {"mono-shop.bmp", "gray-cafe.bmp", "colour-fruit.bmp"}) {
      args.push_back(kSamples + sample);
    }
  }
  const auto start = std::chrono::steady_clock::now();
  const auto r = RunProcess(args, {}, dir.str());
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

INSTANTIATE_TEST_SUITE_P(Printers, CliStalled,
                         ::testing::Values(Stall::PrinterStops, Stall::NeverReads,
                                           Stall::NeverAccepts));

// A slow line (4,000 bytes a second) takes about 24 KB in 6 s: the upload
// reports success only after the printer has taken the bytes that do not
// fit its receive buffer.
TEST_F(CliWithPrinter, ASlowPrinterSucceedsOnlyOnceItHasTakenEverything) {
  test::BackgroundProcess printer({kPrinter, "--port", "0", "--rate", "4000", "--out", out()});
  const std::string listening = printer.ReadLine();
  const std::string port = listening.substr(listening.rfind(':') + 1);
  std::vector<std::string> args = {kCli, "upload", "--ip", "127.0.0.1", "--tcp-port", port};
  for (const char* sample : {"mono-shop.bmp", "gray-cafe.bmp", "colour-fruit.bmp"}) {
    for (int copy = 0; copy < 3; ++copy) args.push_back(kSamples + sample);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunProcess(args, {}, dir.str()).status, 0);
  EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  const std::string summary = printer.ReadLine(10000);
  EXPECT_NE(summary.find("23828 bytes"), std::string::npos) << summary;
  EXPECT_NE(summary.find("NV 9 images"), std::string::npos) << summary;
}

// One upload on 20 printers: 14 healthy, 3 refusing connections, 2
// hanging up mid-upload and 1 that stops reading. Every printer costs only
// its own bounded time; the lines, the summary, the exit status and the
// JSON report say which stores still lack the logos.
TEST_F(CliWithPrinter, UploadsToManyPrintersAndReportsEachOne) {
  std::vector<std::unique_ptr<test::BackgroundProcess>> printers;
  std::vector<test::UniqueSocket> refusing(3);
  std::string list = "# the stores\n";
  std::map<std::string, std::string> expected;  // printer -> line
  for (int i = 0; i < 17; ++i) {
    std::vector<std::string> args = {kPrinter, "--port", "0", "--out", out() + std::to_string(i)};
    if (i >= 14) args.insert(args.end(), {i < 16 ? "--close-after" : "--stall-after", "500"});
    printers.push_back(std::make_unique<test::BackgroundProcess>(args));
    const std::string listening = printers.back()->ReadLine();
    const std::string printer = listening.substr(listening.rfind(' ') + 1);
    list += printer + "\n";
    expected[printer] = i < 14 ? printer + " ok"
                               : printer + " failed (status 4): Communication error. Can not be "
                                           "transmitted.";
  }
  for (test::UniqueSocket& socket : refusing) {
    const std::string printer = "127.0.0.1:" + std::to_string(socket.Bind());
    list += printer + "  # closed\n";
    expected[printer] = printer + " failed (status 1): Fail to Connection to POSPrinter(IP=" +
                        "127.0.0.1 Port=" + printer.substr(10) + "); Communication error. Can "
                        "not be transmitted.; " + printer + ": Connection refused";
  }
  dir.Write("stores.txt", list);
  std::vector<std::string> args = {kCli, "upload", "--printers", dir.File("stores.txt"),
                                   "--jobs", "8", kSamples + "mono-shop.bmp",
                                   kSamples + "colour-fruit.bmp"};
  for (const bool json : {false, true}) {
    if (json) args.push_back("--json");
    const auto start = std::chrono::steady_clock::now();
    const auto r = RunProcess(args, {}, dir.str());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(14));
    EXPECT_EQ(r.status, 5) << r.err;
    std::string lines = r.out;
    if (json) {
      dir.Write("report.json", r.out);
      lines = RunProcess({"/usr/bin/python3", "-c",
                          "import json,sys\n"
                          "for p in json.load(open(sys.argv[1])):\n"
                          "  assert p['seconds'] >= 0 and p['bytes'] >= 0\n"
                          "  print(p['printer'] + (' ok' if p['ok'] else ' failed (status %d): "
                          "%s' % (p['status'], p['message'])))\n"
                          "print('20 printers: 14 ok, 6 failed')",
                          dir.File("report.json")})
                  .out;
    }
    std::vector<std::string> got;
    for (std::size_t at = 0; at < lines.size();) {
      const std::size_t end = lines.find('\n', at);
      got.push_back(lines.substr(at, end - at));
      at = end + 1;
    }
    ASSERT_EQ(got.size(), 21u) << lines;
    EXPECT_EQ(got.back(), "20 printers: 14 ok, 6 failed");
    got.pop_back();
    std::sort(got.begin(), got.end());
    std::vector<std::string> want;
    for (const auto& [printer, line] : expected) want.push_back(line);
    EXPECT_EQ(got, want);
  }
  for (int i = 0; i < 14; ++i) {
    EXPECT_TRUE(std::filesystem::exists(out() + std::to_string(i) + "/nv-2.png")) << i;
  }
}

// status in several of the printer's states, over TCP and as COM1; an
// off-line printer answers the status requests only. A silent printer
// ends the command within 2 s with exit 3.
TEST_F(CliWithPrinter, StatusReportsThePrintersState) {
  const std::string onlineIds = "model: 20 \" \"\ntype: 02\nfirmware: 10\n";
  const std::string noIds = "model: no answer\ntype: no answer\nfirmware: no answer\n";
  const std::string none = "error cause: none (12)\n";
  const struct {
    const char* state;
    bool serial;
    std::string report;
  } cases[] = {
      {"online", false,
       "printer: on-line (12)\noff-line cause: none (12)\n" + none + "paper sensor: none (12)\n" +
           onlineIds},
      {"cover-open", false,
       "printer: off-line (1A)\noff-line cause: cover open (16)\n" + none +
           "paper sensor: none (12)\n" + noIds},
      {"paper-out", false,
       "printer: off-line (1A)\noff-line cause: printing stopped at the paper end (32)\n" + none +
           "paper sensor: paper near its end, paper out (7E)\n" + noIds},
      {"error", false,
       "printer: off-line (1A)\noff-line cause: an error occurred (52)\nerror cause: mechanical "
       "error (16)\npaper sensor: none (12)\n" + noIds},
      {"paper-near-end", true,
       "printer: on-line (12)\noff-line cause: none (12)\n" + none +
           "paper sensor: paper near its end (1E)\n" + onlineIds},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    std::vector<std::string> args = {kPrinter, "--status", c.state, "--out", out()};
    if (c.serial) args.insert(args.end(), {"--link", dir.File("ttyS0")});
    else args.insert(args.end(), {"--port", "0"});
    test::BackgroundProcess printer(args);
    const std::string first = printer.ReadLine();
    std::vector<std::string> cli = {kCli, "status"};
    if (c.serial) {
      printer.ReadLine();  // the link
    } else {
      cli.insert(cli.end(), {"--ip", "127.0.0.1", "--tcp-port", first.substr(first.rfind(':') + 1)});
    }
    const auto r = RunProcess(cli, {{"BRINDLE_DEVICE_DIR", dir.str()}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.report);
  }
  test::BackgroundProcess silent({kPrinter, "--silent", "--port", "0", "--out", out()});
  const std::string listening = silent.ReadLine();
  const auto start = std::chrono::steady_clock::now();
  const auto r = RunProcess({kCli, "status", "--json", "--ip", "127.0.0.1", "--tcp-port",
                             listening.substr(listening.rfind(':') + 1)});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.out.starts_with("{\"answered\": false, \"offLine\": null")) << r.out;
}

TEST_F(CliWithPrinter, APrinterThatHangsUpMidUploadFailsTheStream) {
  test::BackgroundProcess printer({kPrinter, "--port", "0", "--close-after", "500", "--out", out()});
  const std::string listening = printer.ReadLine();
  const std::string port = listening.substr(listening.rfind(':') + 1);
  const auto r = RunProcess({kCli, "upload", "--port", "TCP/IP", "--ip", "127.0.0.1",
                             "--tcp-port", port, kSamples + "gray-cafe.bmp",
                             kSamples + "colour-fruit.bmp"},
                            {}, dir.str());
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, "Communication error. Can not be transmitted.\n");
}

}  // namespace
}  // namespace brindle
