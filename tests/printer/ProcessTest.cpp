// The built brindle-printer against real loopback sockets and
// pseudo-terminals: uploads, device-check replies and each fault mode.
// Every wait is bounded so that a fault shows as a failure, never as a
// hung test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "printer/TestStreams.h"
#include "tools/printer/Fd.h"
#include "tools/printer/Files.h"
#include "tools/printer/Png.h"

namespace brindle::printer {
namespace {

using namespace test;
using ::testing::AllOf;
using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const Bytes kCheck{0x1D, 0x49, 0x01};

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

// Appends what `fd` delivers before `deadline`; false at the deadline or
// the end of the stream.
bool ReadMore(int fd, Clock::time_point deadline, std::string& into) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  pollfd p{fd, POLLIN, 0};
  char chunk[512];
  const bool ready = left > 0 && ::poll(&p, 1, static_cast<int>(left)) > 0;
  const ssize_t n = ready ? ::read(fd, chunk, sizeof chunk) : 0;
  into.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  return n > 0;
}

// Whatever arrives within `timeoutMs`, stopping early once `want` bytes
// have arrived or the peer has closed.
Bytes ReadFor(int fd, int timeoutMs, std::size_t want = SIZE_MAX) {
  std::string got;
  const auto deadline = Clock::now() + milliseconds(timeoutMs);
  while (got.size() < want && ReadMore(fd, deadline, got)) {
  }
  return Bytes(got.begin(), got.end());
}

// Sends line feeds on a non-blocking socket for `ms`; returns how many
// bytes the printer's side accepted.
std::size_t PushFor(int fd, int ms) {
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  const Bytes chunk(4096, 0x0A);
  std::size_t accepted = 0;
  for (const auto until = Clock::now() + milliseconds(ms); Clock::now() < until;) {
    const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
    if (n > 0) accepted += static_cast<std::size_t>(n);
    else std::this_thread::sleep_for(milliseconds(20));
  }
  return accepted;
}

// Writes to a socket without raising SIGPIPE, or to a pseudo-terminal.
bool WriteAll(int fd, const Bytes& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK) n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The built program as a child process with its standard output in a pipe.
class PrinterProcess {
 public:
  explicit PrinterProcess(std::vector<std::string> args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    out_ = Fd(fds[0]);
    args.insert(args.begin(), BRINDLE_PRINTER_EXE);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if ((pid_ = ::fork()) == 0) {
      ::dup2(fds[1], 1);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
  }
  ~PrinterProcess() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
  }

  // The next line of standard output without its newline; empty after
  // `timeoutMs` or at end of output.
  std::string ReadLine(int timeoutMs = 5000) {
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (buffer_.find('\n') == std::string::npos) {
      if (!ReadMore(out_.get(), deadline, buffer_)) return "";
    }
    std::string line = buffer_.substr(0, buffer_.find('\n'));
    buffer_.erase(0, line.size() + 1);
    return line;
  }

  // Sends `sig` (none: 0) and waits for the exit: the exit code, or -1 when
  // it did not exit normally within five seconds. Notes the peak memory.
  int Stop(int sig = SIGTERM) {
    if (sig != 0 && pid_ > 0) ::kill(pid_, sig);
    for (int i = 0, status = 0; i < 500 && pid_ > 0; ++i) {
      rusage usage{};
      if (::wait4(pid_, &status, WNOHANG, &usage) == pid_) {
        peakKb = usage.ru_maxrss;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(milliseconds(10));
    }
    return -1;
  }

  long peakKb = 0;  // the peak resident memory, once stopped

 private:
  pid_t pid_ = -1;
  Fd out_;
  std::string buffer_;
};

// A printer on a loopback port chosen by the system, writing into `dir`.
struct TcpPrinter {
  explicit TcpPrinter(std::vector<std::string> args)
      : process([&] {
          args.insert(args.begin(), {"--port", "0", "--out", dir.path()});
          return args;
        }()) {
    const std::string line = process.ReadLine(), prefix = "listening on 127.0.0.1:";
    port = line.rfind(prefix, 0) == 0 ? std::stoi(line.substr(prefix.size())) : 0;
  }
  Fd Connect(int sendBuffer = 0) const {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (sendBuffer > 0) ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof(int));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    return ok ? std::move(fd) : Fd();
  }
  TempDir dir;
  PrinterProcess process;
  int port = 0;
};

// The pseudo-terminal behind `link`, opened raw the way a host opens "COM1".
Fd OpenTerminal(const std::string& link) {
  Fd fd(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios settings{};
  if (fd && ::tcgetattr(fd.get(), &settings) == 0) {
    ::cfmakeraw(&settings);
    ::tcsetattr(fd.get(), TCSANOW, &settings);
  }
  return fd;
}

// Reads "serial on /dev/pts/N" and "linked LINK -> /dev/pts/N".
void ExpectTerminalLinked(PrinterProcess& printer, const std::string& link) {
  const std::string serial = printer.ReadLine();
  ASSERT_TRUE(Contains(serial, "serial on /dev/pts/")) << serial;
  EXPECT_EQ(printer.ReadLine(), "linked " + link + " -> " + serial.substr(10));
}

// The host's side of an upload: the device check, answered with 20, then
// the Thermal example.
void CheckAndUpload(int fd) {
  ASSERT_TRUE(WriteAll(fd, kCheck));
  EXPECT_EQ(ReadFor(fd, 3000, 1), Bytes{0x20});
  ASSERT_TRUE(WriteAll(fd, ThermalExample()));
}

void ExpectThermalExampleStored(const std::string& outDir) {
  const auto png = ReadPngFile(outDir + "/nv-1.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(DotsOf(*png), kThermalDots);
}

// A Thermal upload on two connections: the device check answered with 20,
// the set stored, one summary line each. SIGINT in the middle of a third
// connection ends the program cleanly, the cut-off command logged.
TEST(PrinterProcess, ServesAThermalUploadOverTcp) {
  TcpPrinter printer({});
  ASSERT_GT(printer.port, 0);
  for (const std::string n : {"1", "2"}) {
    CheckAndUpload(printer.Connect().get());
    EXPECT_THAT(printer.process.ReadLine(),
                AllOf(HasSubstr("connection " + n + " (127.0.0.1:"),
                      HasSubstr("): 2612 bytes, 3 commands, 0 unknown bytes, 0 incomplete, "
                                "0 pages, 1 reply; NV 1 image; closed by host")));
  }
  ExpectThermalExampleStored(printer.dir.path());
  Fd fd = printer.Connect();
  ASSERT_TRUE(WriteAll(fd.get(), Bytes{0x1C, 0x70}));
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(printer.process.Stop(SIGINT), 0);
  EXPECT_THAT(ReadText(printer.dir / "commands.log"),
              AllOf(HasSubstr("       3  ESC @\n"),
                    HasSubstr("       0  FS p INCOMPLETE (cut off after 1C 70)")));
}

// DLE EOT 1 to 4 and GS I 1 to 3, answered as the options set the printer
// up: --reply is the GS I 1 answer, an off-line printer answers DLE EOT
// only (the rest stays unprocessed), a silent one nothing at all.
TEST(PrinterProcess, AnswersStatusAndIdentityAsSetUp) {
  const Bytes requests{0x10, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x04, 0x03, 0x10, 0x04,
                       0x04, 0x1D, 0x49, 0x01, 0x1D, 0x49, 0x02, 0x1D, 0x49, 0x03};
  struct Case { std::vector<std::string> args; Bytes expected; const char* summary; };
  const Case cases[] = {
      {{}, {0x12, 0x12, 0x12, 0x12, 0x20, 0x02, 0x10}, "7 replies;"},
      {{"--reply", "none", "--id", "none,03,4142", "--status", "paper-near-end"},
       {0x12, 0x12, 0x12, 0x1E, 0x03, 0x41, 0x42}, "6 replies;"},
      {{"--status", "cover-open,error"}, {0x1A, 0x56, 0x16, 0x12},
       "4 replies, 21 bytes not processed (off-line)"},
      {{"--silent"}, {}, "0 replies;"},
  };
  for (const Case& c : cases) {
    TcpPrinter printer(c.args);
    Fd fd = printer.Connect();
    ASSERT_TRUE(WriteAll(fd.get(), requests));
    EXPECT_EQ(ReadFor(fd.get(), 3000, c.expected.size()), c.expected) << c.summary;
    EXPECT_TRUE(ReadFor(fd.get(), 200).empty()) << c.summary;
    fd.Reset();
    EXPECT_THAT(printer.process.ReadLine(), HasSubstr(c.summary));
    EXPECT_EQ(printer.process.Stop(), 0);
  }
}

// Printing takes time (here 40 pictures of 16 rows at 1000 rows a second):
// the GS I after them waits for it, a DLE EOT is answered at once.
TEST(PrinterProcess, PrintingTakesTimeButStatusIsAnsweredAtOnce) {
  TcpPrinter printer({});
  Fd fd = printer.Connect();
  Bytes job = Bytes{0x1C, 0x71, 0x01} + kSmallBlock;
  for (int i = 0; i < 40; ++i) job = job + Bytes{0x1C, 0x70, 0x01, 0x33};
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(fd.get(), job + kCheck + Bytes{0x10, 0x04, 0x01}));
  EXPECT_EQ(ReadFor(fd.get(), 3000, 1), Bytes{0x12});
  EXPECT_LT(Clock::now() - start, milliseconds(300));
  EXPECT_EQ(ReadFor(fd.get(), 3000, 1), Bytes{0x20});
  EXPECT_GE(Clock::now() - start, milliseconds(600));
  EXPECT_EQ(printer.process.Stop(), 0);
}

// An off-line printer takes what its receive buffer holds; the socket's
// own, set to the same size, holds back the rest.
TEST(PrinterProcess, OfflinePrinterTakesOnlyItsBuffer) {
  TcpPrinter printer({"--status", "paper-out", "--rcvbuf", "1000"});
  Fd fd = printer.Connect(4096);
  EXPECT_LT(PushFor(fd.get(), 800), 64u * 1024u);
  Fd next = printer.Connect();
  EXPECT_THAT(printer.process.ReadLine(),
              AllOf(HasSubstr(": 1000 bytes, 0 commands"), HasSubstr("1000 bytes not processed"),
                    HasSubstr("off-line, receive buffer full after 1000 bytes; dropped")));
  EXPECT_EQ(printer.process.Stop(), 0);
}

// A hostile stream: an image set just under 64 MiB (above the NV memory,
// so consumed and rejected), a print of it, then zeros for a second and a
// half. The printer keeps up and its memory stays small.
TEST(PrinterProcess, HostileStreamKeepsMemoryBounded) {
  TcpPrinter printer({});
  Fd fd = printer.Connect();
  const Bytes zeros(1 << 20, 0);
  ASSERT_TRUE(WriteAll(fd.get(), Bytes{0x1C, 0x71, 0x01, 0x00, 0x10, 0xFF, 0x07} +
                                     Bytes(4096 * 2047 * 8, 0) + Bytes{0x1C, 0x70, 0x01, 0x33}));
  for (const auto until = Clock::now() + milliseconds(1500); Clock::now() < until;) {
    ASSERT_TRUE(WriteAll(fd.get(), zeros));
  }
  fd.Reset();
  EXPECT_THAT(printer.process.ReadLine(30000), HasSubstr("0 pages, 0 replies; NV 0 images"));
  EXPECT_EQ(printer.process.Stop(), 0);
  EXPECT_LT(printer.process.peakKb, kMaxPeakKb);
  EXPECT_THAT(ReadText(printer.dir / "commands.log"),
              HasSubstr("FS q 1 REJECTED (image data above 1048576 bytes)"));
}

// --close-after: the printer reads N bytes, drops the connection (the host
// sees it end at once) and serves the next one.
TEST(PrinterProcess, CloseAfterDropsTheConnection) {
  TcpPrinter printer({"--close-after", "10"});
  Fd fd = printer.Connect();
  const Bytes upload = ThermalExample();
  ASSERT_TRUE(WriteAll(fd.get(), Bytes(upload.begin(), upload.begin() + 5)));
  WriteAll(fd.get(), Bytes(upload.begin() + 5, upload.end()));  // may fail once dropped
  EXPECT_THAT(printer.process.ReadLine(),
              AllOf(HasSubstr(": 10 bytes, 2 commands, 0 unknown bytes, 1 incomplete"),
                    HasSubstr("dropped after 10 bytes")));
  const auto start = Clock::now();
  EXPECT_TRUE(ReadFor(fd.get(), 3000).empty());
  EXPECT_LT(Clock::now() - start, milliseconds(2500));
  EXPECT_THAT(ReadText(printer.dir / "commands.log"),
              HasSubstr("       2  FS q 1 INCOMPLETE (image 1 of 1 (200x104) cut off after 1 of "
                        "2600 bytes): NV memory unchanged\n"));
  Fd next = printer.Connect();
  ASSERT_TRUE(WriteAll(next.get(), Bytes{0x1C, 0x65}));
  next.Reset();
  EXPECT_THAT(printer.process.ReadLine(), HasSubstr("connection 2"));
  EXPECT_EQ(printer.process.Stop(), 0);
}

// --stall-after: after N bytes nothing more is read, so the host's writes
// stop being accepted; the stall ends when another host connects.
TEST(PrinterProcess, StallAfterStopsReading) {
  TcpPrinter printer({"--stall-after", "1000"});
  Fd fd = printer.Connect(4096);
  const std::size_t accepted = PushFor(fd.get(), 1500);
  EXPECT_GE(accepted, 1000u);
  EXPECT_LT(accepted, 256u * 1024u) << "the printer kept reading";
  Fd next = printer.Connect();
  EXPECT_THAT(printer.process.ReadLine(),
              AllOf(HasSubstr(": 1000 bytes, 1000 commands"),
                    HasSubstr("stalled after 1000 bytes; dropped for the next connection")));
  next.Reset();
  EXPECT_THAT(printer.process.ReadLine(), HasSubstr("connection 2"));
  EXPECT_EQ(printer.process.Stop(), 0);
}

// --rate: 3000 bytes at 6000 bytes per second take half a second to read.
TEST(PrinterProcess, RateSlowsTheLine) {
  TcpPrinter printer({"--rate", "6000"});
  Fd fd = printer.Connect();
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(fd.get(), Repeat(0x0A, 3000)));
  ::shutdown(fd.get(), SHUT_WR);
  const std::string summary = printer.process.ReadLine(10000);
  const auto elapsed = Clock::now() - start;
  EXPECT_THAT(summary, HasSubstr(": 3000 bytes"));
  EXPECT_TRUE(elapsed >= milliseconds(400) && elapsed < milliseconds(3000));
  EXPECT_EQ(printer.process.Stop(), 0);
}

// Over the pseudo-terminal, reached the way "COM1" is: through a link in
// the device directory, which goes with the printer.
TEST(PrinterProcess, ServesAnUploadOverItsPseudoTerminal) {
  TempDir dir;
  const std::string link = dir / "ttyS0";
  PrinterProcess printer({"--serial", "--link", link, "--out", dir / "out"});
  ExpectTerminalLinked(printer, link);
  for (const std::string n : {"1", "2"}) {
    Fd fd = OpenTerminal(link);
    ASSERT_TRUE(fd);
    CheckAndUpload(fd.get());
    ::tcdrain(fd.get());
    std::this_thread::sleep_for(milliseconds(100));
    fd.Reset();
    EXPECT_THAT(printer.ReadLine(), AllOf(HasSubstr("connection " + n + " (/dev/pts/"),
                                          HasSubstr(": 2612 bytes, 3 commands")));
  }
  ExpectThermalExampleStored(dir / "out");
  EXPECT_EQ(printer.Stop(), 0);
  EXPECT_FALSE(Exists(link)) << "the link outlived the printer";
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
    ExpectTerminalLinked(printer, link);
    Fd fd = OpenTerminal(link);
    ASSERT_TRUE(WriteAll(fd.get(), Bytes{0x1B, 0x40, 0x1C, 0x65, 0x1B, 0x40}));
    EXPECT_THAT(printer.ReadLine(), HasSubstr(": 4 bytes, 2 commands"));
    ExpectTerminalLinked(printer, link);
    EXPECT_LT(::write(fd.get(), "\n", 1), 0);
    EXPECT_EQ(printer.Stop(), 0);
  }
  PrinterProcess printer({"--link", link, "--out", dir / "b", "--stall-after", "100"});
  ExpectTerminalLinked(printer, link);
  Fd fd = OpenTerminal(link);
  ASSERT_TRUE(WriteAll(fd.get(), Repeat(0x0A, 1000)));
  std::this_thread::sleep_for(milliseconds(200));
  fd.Reset();
  EXPECT_THAT(printer.ReadLine(),
              AllOf(HasSubstr(": 100 bytes, 100 commands"),
                    HasSubstr("stalled after 100 bytes; host hung up, 900 bytes left unread")));
  EXPECT_EQ(printer.ReadLine(300), "");  // the rest does not pose as a connection
  EXPECT_EQ(printer.Stop(), 0);
}

// NV memory survives the process with --nv-store; a replayed file prints
// from it. Bad options end the program with status 2.
TEST(PrinterProcess, ReplayNvStoreHelpAndBadOptions) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / "define.bin", ThermalExample()));
  ASSERT_TRUE(WriteFileAtomic(dir / "print.bin", {0x1C, 0x70, 0x01, 0x31, 0x1D, 0x56, 0x42, 0x01}));
  const std::string nv = dir / "nv";
  PrinterProcess first({"--replay", dir / "define.bin", "--out", dir / "a", "--nv-store", nv});
  EXPECT_THAT(first.ReadLine(), HasSubstr("NV 1 image; end of file"));
  EXPECT_EQ(first.Stop(0), 0);
  PrinterProcess second({"--replay", dir / "print.bin", "--out", dir / "b", "--nv-store", nv});
  EXPECT_THAT(second.ReadLine(), HasSubstr("1 page"));
  EXPECT_EQ(second.Stop(0), 0);
  ExpectThermalExampleStored(dir / "b");
  const auto page = ReadPngFile(dir / "b/page-1.png");
  ASSERT_TRUE(page);
  EXPECT_EQ(DotsOf(*page), (SizeAndDots{{400, 104},
                                        {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {0, 103}, {1, 103},
                                         {398, 103}, {399, 103}}}));

  // A large sparse file goes through in pieces; a FIFO is refused at once.
  const std::string big = dir / "big.bin";
  std::ofstream(big).close();
  ASSERT_EQ(::truncate(big.c_str(), kReplayBytes), 0);
  PrinterProcess replay({"--replay", big, "--out", dir / "c"});
  EXPECT_THAT(replay.ReadLine(60000),
              HasSubstr(": " + std::to_string(kReplayBytes) + " bytes, 0 commands"));
  EXPECT_EQ(replay.Stop(0), 0);
  EXPECT_LT(replay.peakKb, kMaxPeakKb);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const auto start = Clock::now();
  EXPECT_EQ(PrinterProcess({"--replay", dir / "fifo", "--out", dir / "d"}).Stop(0), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));

  PrinterProcess help({"--help"});
  EXPECT_EQ(help.ReadLine(), "Usage: brindle-printer [options]");
  EXPECT_EQ(help.Stop(0), 0);
  EXPECT_EQ(PrinterProcess({"--port", "http"}).Stop(0), 2);
}

}  // namespace
}  // namespace brindle::printer
