// The built brindle-cli as a script runs it: against a recording loopback
// peer and against the virtual printer, with every exit status.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>

#include "device/Peers.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

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
  EXPECT_EQ(r.err, dir.File("notes.bmp") + ": Out of range bitmap file.\n");
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
  const auto r = RunProcess({kCli, "info", kSamples + "mono-shop.bmp", kSamples + "gray-cafe.bmp",
                             kSamples + "colour-fruit.bmp"});
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
  EXPECT_EQ(RunProcess({kCli, "info", dir.File("logo.png")}).out,
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
