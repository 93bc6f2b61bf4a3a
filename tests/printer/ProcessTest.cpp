// The built brindle-printer on loopback sockets: answers while it prints,
// its bounds under hostile input, and replays. Every wait is bounded, so
// that a fault shows as a failure, never as a hung test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <climits>
#include <fstream>

#include "support/Process.h"
#include "support/TempDir.h"
#include "tools/printer/Fd.h"
#include "tools/printer/Png.h"

namespace brindle::printer {
namespace {

using brindle::test::BackgroundProcess;
using brindle::test::TcpPrinter;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The printer's peak memory stays below 64 MiB, even for a 1 GiB replay;
// under the sanitizers, whose own memory dominates, only the behaviour is
// checked, on a smaller file.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMaxPeakKb = LONG_MAX;
constexpr long long kReplayBytes = 64ll << 20;
#else
constexpr long kMaxPeakKb = 64 * 1024;
constexpr long long kReplayBytes = 1ll << 30;
#endif

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// FS q 1 with one 8 x 8 image, and FS p 1 in size mode `mode` ("0" ... "3").
const Bytes kDefine{0x1C, 0x71, 0x01, 0x01, 0x00, 0x01, 0x00, 0xFF, 1, 1, 0, 0, 0, 0, 0x80};
Bytes Print(std::uint8_t mode) { return {0x1C, 0x70, 0x01, mode}; }

// Writes all of `bytes` without raising SIGPIPE.
bool SendAll(int fd, Bytes bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The next byte the printer answers within 3 s, or 0.
int ReadByte(int fd) {
  std::string got;
  return brindle::test::detail::ReadSome(fd, 3000, got) ? static_cast<std::uint8_t>(got[0]) : 0;
}

// A connection to the printer, with a small send buffer when asked.
Fd Connect(const TcpPrinter& printer, int sendBuffer = 0) {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (sendBuffer) ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof(int));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(printer.port)));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  return fd;
}

// Printing takes time (here 40 pictures of 16 rows at 1000 rows a second):
// a GS I after them waits for it, a DLE EOT is answered at once.
TEST(PrinterProcess, PrintingTakesTimeButStatusIsAnsweredAtOnce) {
  brindle::test::TempDir dir;
  TcpPrinter printer(dir.str());
  Fd fd = Connect(printer);
  Bytes job = kDefine;
  for (int i = 0; i < 40; ++i) job = job + Print(0x33);
  job = job + Bytes{0x1D, 0x49, 0x01, 0x10, 0x04, 0x01};
  const auto start = Clock::now();
  ASSERT_TRUE(SendAll(fd.get(), job));
  EXPECT_EQ(ReadByte(fd.get()), 0x12);
  EXPECT_LT(Clock::now() - start, milliseconds(300));
  EXPECT_EQ(ReadByte(fd.get()), 0x20);
  EXPECT_GE(Clock::now() - start, milliseconds(600));
}

// An off-line printer takes what its receive buffer holds, and the socket
// of the same size holds back the rest. A hostile stream is kept up with
// in bounded memory: the largest image printed at four times its size
// (beyond a page), an image set just under 64 MiB (beyond the NV memory,
// so consumed and rejected), then zeros for a second and a half.
TEST(PrinterProcess, ReceiveBufferAndMemoryAreBounded) {
  brindle::test::TempDir dir;
  {
    TcpPrinter printer(dir.str(), {"--status", "paper-out", "--rcvbuf", "1000"});
    Fd fd = Connect(printer, 4096);
    ::fcntl(fd.get(), F_SETFL, O_NONBLOCK);
    std::size_t accepted = 0;
    for (const auto until = Clock::now() + milliseconds(800); Clock::now() < until;) {
      const ssize_t n = ::send(fd.get(), Bytes(4096).data(), 4096, MSG_NOSIGNAL);
      accepted += n > 0 ? static_cast<std::size_t>(n) : 0;
      if (n <= 0) std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_LT(accepted, 64u * 1024u);
    Fd next = Connect(printer);
    EXPECT_THAT(printer.process.ReadLine(),
                HasSubstr(": 1000 bytes, 0 commands, 0 unknown bytes, 0 incomplete, 0 pages, 0 "
                          "replies, 1000 bytes not processed (off-line); NV 0 images; off-line, "
                          "receive buffer full after 1000 bytes; dropped"));
  }
  TcpPrinter printer(dir.str());
  Fd fd = Connect(printer);
  Bytes largest = Bytes{0x1C, 0x71, 0x01, 0x00, 0x01, 0x00, 0x02} + Bytes(1 << 20, 0xFF);
  for (int i = 0; i < 3; ++i) largest = largest + Print(0x33);
  ASSERT_TRUE(SendAll(fd.get(), largest + Bytes{0x1C, 0x71, 0x01, 0x00, 0x10, 0xFF, 0x07} +
                                    Bytes(4096 * 2047 * 8, 0) + Print(0x33)));
  for (const auto until = Clock::now() + milliseconds(1500); Clock::now() < until;) {
    ASSERT_TRUE(SendAll(fd.get(), Bytes(1 << 20, 0)));
  }
  fd.Reset();
  EXPECT_THAT(printer.process.ReadLine(30000), HasSubstr("0 pages, 0 replies; NV 1 image"));
  EXPECT_EQ(printer.process.Stop(), 0);
  EXPECT_LT(printer.process.peakKb, kMaxPeakKb);
  const std::string log = dir.Read("commands.log");
  EXPECT_THAT(log, HasSubstr("FS p 1 51: page full; not printed"));
  EXPECT_THAT(log, HasSubstr("FS q 1 REJECTED (image data above 1048576 bytes)"));
}

// NV memory survives the process with --nv-store: a replayed print uses
// it. A large sparse file goes through in pieces in bounded memory; a
// FIFO is refused at once, as is a bad option (status 2).
TEST(PrinterProcess, Replays) {
  brindle::test::TempDir dir;
  dir.Write("define.bin", std::string(kDefine.begin(), kDefine.end()));
  dir.Write("print.bin", "\x1C\x70\x01\x31\x1D\x56\x42\x01");
  for (const char* file : {"define.bin", "print.bin"}) {
    BackgroundProcess replay({BRINDLE_PRINTER_EXE, "--replay", dir.File(file), "--out",
                              dir.File("out"), "--nv-store", dir.File("nv")});
    EXPECT_THAT(replay.ReadLine(), HasSubstr("NV 1 image; end of file"));
    EXPECT_EQ(replay.Stop(0), 0);
  }
  const auto page = ReadPngFile(dir.File("out/page-1.png"));
  ASSERT_TRUE(page);
  EXPECT_EQ(std::pair(page->width, page->height), std::pair(16, 8));

  std::ofstream(dir.File("big.bin")).close();
  ASSERT_EQ(::truncate(dir.File("big.bin").c_str(), kReplayBytes), 0);
  BackgroundProcess replay({BRINDLE_PRINTER_EXE, "--replay", dir.File("big.bin"), "--out",
                            dir.File("big")});
  EXPECT_THAT(replay.ReadLine(60000),
              HasSubstr(": " + std::to_string(kReplayBytes) + " bytes, 0 commands"));
  EXPECT_EQ(replay.Stop(0), 0);
  EXPECT_LT(replay.peakKb, kMaxPeakKb);
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  const auto start = Clock::now();
  EXPECT_EQ(BackgroundProcess({BRINDLE_PRINTER_EXE, "--replay", dir.File("fifo"), "--out",
                               dir.str()}).Stop(0), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  EXPECT_EQ(BackgroundProcess({BRINDLE_PRINTER_EXE, "--port", "http"}).Stop(0), 2);
}

}  // namespace
}  // namespace brindle::printer
