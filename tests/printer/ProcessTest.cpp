// The built brindle-printer against real loopback sockets and
// pseudo-terminals: uploads, device-check replies and each fault mode.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "printer/PrinterProcess.h"
#include "printer/TempDir.h"
#include "printer/TestStreams.h"
#include "tools/printer/Png.h"

namespace brindle::printer {
namespace {

using test::Bytes;
using test::operator+;
using test::ConnectLoopback;
using test::PrinterProcess;
using test::ReadFor;
using test::TempDir;
using test::WriteAll;
using Clock = std::chrono::steady_clock;

const Bytes kCheck{0x1D, 0x49, 0x01};

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// nv-1.png holds the 200 x 104 picture of the worked example.
void ExpectThermalExampleStored(const std::string& outDir) {
  const auto png = ReadPngFile(outDir + "/nv-1.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 200);
  EXPECT_EQ(png->height, 104);
  int dots = 0;
  for (std::uint8_t d : png->dots) dots += d;
  EXPECT_EQ(dots, 4);
  EXPECT_TRUE(png->At(0, 0) && png->At(0, 103) && png->At(1, 1) && png->At(199, 103));
}

// The road of a Thermal upload over TCP: device check answered with 20,
// the set stored, one summary line, and a clean exit on SIGTERM.
TEST(PrinterProcess, ServesAThermalUploadOverTcp) {
  TempDir dir;
  PrinterProcess printer({"--port", "0", "--out", dir / "out"});
  ASSERT_TRUE(printer.Started());
  const int port = printer.ListeningPort();
  ASSERT_GT(port, 0);

  for (int connection = 1; connection <= 2; ++connection) {
    Fd fd = ConnectLoopback(port);
    ASSERT_TRUE(fd);
    ASSERT_TRUE(WriteAll(fd.get(), kCheck));
    EXPECT_EQ(ReadFor(fd.get(), 3000, 1), Bytes{0x20});
    ASSERT_TRUE(WriteAll(fd.get(), test::ThermalExample()));
    fd.Reset();
    const std::string summary = printer.ReadLine();
    EXPECT_TRUE(Contains(summary, "connection " + std::to_string(connection) + " (127.0.0.1:"))
        << summary;
    EXPECT_TRUE(Contains(summary, "): 2612 bytes, 3 commands, 0 unknown bytes, 0 incomplete, "
                                  "0 pages, 1 reply; NV 1 image; closed by host"))
        << summary;
  }
  ExpectThermalExampleStored(dir / "out");
  EXPECT_EQ(printer.Stop(SIGTERM), 0);
  EXPECT_TRUE(Contains(ReadText(dir / "out/commands.log"), "       3  ESC @\n"));
}

TEST(PrinterProcess, RepliesAsToldByReplyOption) {
  struct Case {
    const char* reply;
    Bytes expected;
  };
  const Case cases[] = {{"0D", {0x0D}}, {"none", {}}, {"0d2041", {0x0D, 0x20, 0x41}}};
  for (const Case& c : cases) {
    TempDir dir;
    PrinterProcess printer({"--port", "0", "--out", dir.path(), "--reply", c.reply});
    const int port = printer.ListeningPort();
    ASSERT_GT(port, 0);
    Fd fd = ConnectLoopback(port);
    ASSERT_TRUE(WriteAll(fd.get(), kCheck));
    EXPECT_EQ(ReadFor(fd.get(), c.expected.empty() ? 300 : 3000, c.expected.size()), c.expected)
        << c.reply;
    fd.Reset();
    EXPECT_TRUE(Contains(printer.ReadLine(), c.expected.empty() ? "0 replies" : "1 reply"));
    EXPECT_EQ(printer.Stop(SIGINT), 0);
  }
}

// --close-after: the printer reads N bytes, drops the connection (the host
// sees it end) and serves the next one.
TEST(PrinterProcess, CloseAfterDropsTheConnection) {
  TempDir dir;
  PrinterProcess printer({"--port", "0", "--out", dir.path(), "--close-after", "10"});
  const int port = printer.ListeningPort();
  ASSERT_GT(port, 0);

  Fd fd = ConnectLoopback(port);
  // The host may see its later writes fail once the printer has dropped it.
  const Bytes upload = test::ThermalExample();
  ASSERT_TRUE(WriteAll(fd.get(), Bytes(upload.begin(), upload.begin() + 5)));
  WriteAll(fd.get(), Bytes(upload.begin() + 5, upload.end()));
  const std::string summary = printer.ReadLine();
  EXPECT_TRUE(Contains(summary, ": 10 bytes, 2 commands, 0 unknown bytes, 1 incomplete"));
  EXPECT_TRUE(Contains(summary, "dropped after 10 bytes")) << summary;
  // The host's end: reads end (EOF or reset) instead of waiting.
  const auto start = Clock::now();
  EXPECT_TRUE(ReadFor(fd.get(), 3000).empty());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_TRUE(Contains(ReadText(dir / "commands.log"),
                       "       2  FS q 1 INCOMPLETE (image 1 of 1 (200x104) cut off after 1 of 2600 "
                       "bytes): NV memory unchanged\n"));

  Fd next = ConnectLoopback(port);
  ASSERT_TRUE(WriteAll(next.get(), Bytes{0x1C, 0x65}));
  next.Reset();
  EXPECT_TRUE(Contains(printer.ReadLine(), "connection 2"));
  EXPECT_EQ(printer.Stop(), 0);
}

// --stall-after: after N bytes nothing more is read, so the host's writes
// stop being accepted; the stall ends when another host connects.
TEST(PrinterProcess, StallAfterStopsReading) {
  TempDir dir;
  PrinterProcess printer({"--port", "0", "--out", dir.path(), "--stall-after", "1000"});
  const int port = printer.ListeningPort();
  ASSERT_GT(port, 0);

  Fd fd = ConnectLoopback(port, 4096);
  ::fcntl(fd.get(), F_SETFL, O_NONBLOCK);
  const Bytes chunk = test::Repeat(0x0A, 4096);
  std::size_t accepted = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(1500);
  while (Clock::now() < until && accepted < (8u << 20)) {
    const ssize_t n = ::send(fd.get(), chunk.data(), chunk.size(), MSG_NOSIGNAL);
    if (n > 0) {
      accepted += static_cast<std::size_t>(n);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  EXPECT_GE(accepted, 1000u);
  EXPECT_LT(accepted, 256u * 1024u) << "the printer kept reading";

  Fd next = ConnectLoopback(port);
  const std::string summary = printer.ReadLine();
  EXPECT_TRUE(Contains(summary, ": 1000 bytes, 1000 commands")) << summary;
  EXPECT_TRUE(Contains(summary, "stalled after 1000 bytes; dropped for the next connection"))
      << summary;
  next.Reset();
  EXPECT_TRUE(Contains(printer.ReadLine(), "connection 2"));
  EXPECT_EQ(printer.Stop(), 0);
}

// --rate: 3000 bytes at 6000 bytes per second take half a second to read.
TEST(PrinterProcess, RateSlowsTheLine) {
  TempDir dir;
  PrinterProcess printer({"--port", "0", "--out", dir.path(), "--rate", "6000"});
  const int port = printer.ListeningPort();
  ASSERT_GT(port, 0);
  Fd fd = ConnectLoopback(port);
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(fd.get(), test::Repeat(0x0A, 3000)));
  ::shutdown(fd.get(), SHUT_WR);
  const std::string summary = printer.ReadLine(10000);
  const auto elapsed = Clock::now() - start;
  EXPECT_TRUE(Contains(summary, ": 3000 bytes")) << summary;
  EXPECT_GE(elapsed, std::chrono::milliseconds(400));
  EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
  EXPECT_EQ(printer.Stop(), 0);
}

TEST(PrinterProcess, StopsCleanlyDuringAConnection) {
  TempDir dir;
  PrinterProcess printer({"--port", "0", "--out", dir.path()});
  const int port = printer.ListeningPort();
  ASSERT_GT(port, 0);
  Fd fd = ConnectLoopback(port);
  ASSERT_TRUE(WriteAll(fd.get(), Bytes{0x1C, 0x70}));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(printer.Stop(SIGINT), 0);
  EXPECT_TRUE(Contains(ReadText(dir / "commands.log"), "FS p INCOMPLETE (cut off after 1C 70)"));
}

// Over the pseudo-terminal, reached the way "COM1" is: through a link in
// the device directory.
TEST(PrinterProcess, ServesAnUploadOverItsPseudoTerminal) {
  TempDir dir;
  const std::string link = dir / "ttyS0";
  PrinterProcess printer({"--serial", "--link", link, "--out", dir / "out"});
  const std::string serialLine = printer.ReadLine();
  ASSERT_TRUE(Contains(serialLine, "serial on /dev/pts/")) << serialLine;
  EXPECT_EQ(printer.ReadLine(), "linked " + link + " -> " + serialLine.substr(10));

  for (int connection = 1; connection <= 2; ++connection) {
    Fd fd(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(fd);
    termios settings{};
    ASSERT_EQ(::tcgetattr(fd.get(), &settings), 0);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd.get(), TCSANOW, &settings);
    ASSERT_TRUE(WriteAll(fd.get(), kCheck));
    EXPECT_EQ(ReadFor(fd.get(), 3000, 1), Bytes{0x20});
    ASSERT_TRUE(WriteAll(fd.get(), test::ThermalExample()));
    ::tcdrain(fd.get());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fd.Reset();
    const std::string summary = printer.ReadLine();
    EXPECT_TRUE(Contains(summary, "connection " + std::to_string(connection) + " (/dev/pts/"));
    EXPECT_TRUE(Contains(summary, ": 2612 bytes, 3 commands")) << summary;
  }
  ExpectThermalExampleStored(dir / "out");
  EXPECT_EQ(printer.Stop(), 0);
  EXPECT_FALSE(std::filesystem::exists(link)) << "the link outlived the printer";
}

// Fault modes on the pseudo-terminal: a dropped connection closes the
// terminal for good (the host's next write fails) and a fresh terminal
// takes its place behind the link; a stalled one discards what the host
// left unread when it hangs up.
TEST(PrinterProcess, FaultModesOnThePseudoTerminal) {
  TempDir dir;
  const std::string link = dir / "ttyS0";
  {
    PrinterProcess printer({"--link", link, "--out", dir / "a", "--close-after", "4"});
    ASSERT_TRUE(Contains(printer.ReadLine(), "serial on /dev/pts/"));
    ASSERT_TRUE(Contains(printer.ReadLine(), "linked "));
    Fd fd(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(fd);
    ASSERT_TRUE(WriteAll(fd.get(), Bytes{0x1B, 0x40, 0x1C, 0x65, 0x1B, 0x40}));
    EXPECT_TRUE(Contains(printer.ReadLine(), ": 4 bytes, 2 commands"));
    const std::string fresh = printer.ReadLine();
    EXPECT_TRUE(Contains(fresh, "serial on /dev/pts/")) << fresh;
    EXPECT_EQ(printer.ReadLine(), "linked " + link + " -> " + fresh.substr(10));
    EXPECT_LT(::write(fd.get(), "\n", 1), 0);
    EXPECT_EQ(printer.Stop(), 0);
  }
  {
    PrinterProcess printer({"--link", link, "--out", dir / "b", "--stall-after", "100"});
    ASSERT_TRUE(Contains(printer.ReadLine(), "serial on /dev/pts/"));
    ASSERT_TRUE(Contains(printer.ReadLine(), "linked "));
    Fd fd(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(fd);
    termios settings{};
    ::tcgetattr(fd.get(), &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd.get(), TCSANOW, &settings);
    ASSERT_TRUE(WriteAll(fd.get(), test::Repeat(0x0A, 1000)));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    fd.Reset();
    const std::string summary = printer.ReadLine();
    EXPECT_TRUE(Contains(summary, ": 100 bytes, 100 commands")) << summary;
    EXPECT_TRUE(Contains(summary, "stalled after 100 bytes; host hung up, 900 bytes left unread"))
        << summary;
    EXPECT_EQ(printer.ReadLine(300), "");  // the rest does not pose as a connection
    EXPECT_EQ(printer.Stop(), 0);
  }
}

// NV memory survives the process with --nv-store; a replayed file prints
// from it.
TEST(PrinterProcess, ReplayAndNvStoreKeepImagesAcrossRuns) {
  TempDir dir;
  {
    std::ofstream(dir / "define.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(test::ThermalExample().data()), 2609);
    const Bytes print{0x1C, 0x70, 0x01, 0x31, 0x1D, 0x56, 0x42, 0x01};
    std::ofstream(dir / "print.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(print.data()), static_cast<long>(print.size()));
  }
  PrinterProcess first({"--replay", dir / "define.bin", "--out", dir / "a", "--nv-store", dir / "nv"});
  EXPECT_TRUE(Contains(first.ReadLine(), "NV 1 image; end of file"));
  EXPECT_EQ(first.Wait(), 0);

  PrinterProcess second({"--replay", dir / "print.bin", "--out", dir / "b", "--nv-store", dir / "nv"});
  EXPECT_TRUE(Contains(second.ReadLine(), "1 page"));
  EXPECT_EQ(second.Wait(), 0);
  ExpectThermalExampleStored(dir / "b");
  const auto page = ReadPngFile(dir / "b/page-1.png");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->width, 400);
  EXPECT_EQ(page->height, 104);
  EXPECT_TRUE(page->At(0, 0) && page->At(1, 0) && !page->At(2, 0) && page->At(399, 103));
}

TEST(PrinterProcess, HelpAndBadOptions) {
  PrinterProcess help({"--help"});
  EXPECT_EQ(help.ReadLine(), "Usage: brindle-printer [options]");
  EXPECT_EQ(help.Wait(), 0);
  PrinterProcess bad({"--port", "http"});
  EXPECT_EQ(bad.Wait(), 2);
}

}  // namespace
}  // namespace brindle::printer
