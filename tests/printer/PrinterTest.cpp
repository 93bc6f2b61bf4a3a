// The printer's decoder and sessions, then the built program on loopback
// sockets. Every wait is bounded: a fault fails, never hangs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <climits>
#include <fstream>
#include <random>

#include "support/Process.h"
#include "support/TempDir.h"
#include "tools/printer/Fd.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Options.h"
#include "tools/printer/Png.h"
#include "tools/printer/Session.h"

namespace brindle::printer {
namespace {

using test::BackgroundProcess;
using test::TcpPrinter;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Command> DecodeAll(const Bytes& bytes) {
  Decoder decoder;
  std::vector<Command> out;
  decoder.Feed(bytes.data(), bytes.size(), out);
  decoder.Finish(out);
  return out;
}

Strings Lines(const std::vector<Command>& commands) {
  Strings out;
  for (const Command& c : commands) out.push_back(LogLine(c, ""));
  return out;
}

// An 8 x 8 image block (x = 1, y = 1): column 0 full, columns 1 and 2
// only their bottom dot, column 7 only its top dot.
const Bytes kBlock{0x01, 0x00, 0x01, 0x00, 0xFF, 0x01, 0x01, 0, 0, 0, 0, 0x80};

// Each command form: its length and log text. Garbage is one skipped
// record; a command cut off says what was missing; sets that cannot be
// kept (an empty image, above the NV memory) are consumed to their
// declared end, holding nothing; offsets restart at 0.
TEST(PrinterDecoder, DecodesEachCommandFormGarbageAndCutOffs) {
  EXPECT_EQ(Lines(DecodeAll(Bytes{0x1B, 0x40, 0x00, 0xFF, 0x1B, 0x00, 0x1C, 0x99, 0x10, 0x04,
                                  0x05, 0x1C, 0x65, 0x1B, 0x58, 0x2A, 0x05, 0x41, 0x1C, 0x70})),
            (Strings{"       0  ESC @", "       2  unknown 9 bytes: 00 FF 1B 00 1C 99 10 04 05",
                     "      11  FS e", "      13  ESC X * 5", "      17  unknown 1 byte: 41",
                     "      18  FS p INCOMPLETE (cut off after 1C 70)"}));
  const Bytes two = Bytes{0x1C, 0x71, 0x02} + kBlock;
  const std::tuple<Bytes, const char*, std::size_t> cases[] = {
      {{0x1C, 0x71, 0x00}, "FS q 0", 0},
      {{0x1C, 0x70, 0x03, 0x32}, "FS p 3 50", 0},
      {{0x1D, 0x56, 0x41, 0x05}, "GS V 65 5", 0},
      {{0x1D, 0x56, 0x31}, "GS V 49", 0},
      {{0x1B, 0x6D}, "ESC m", 0},
      {{0x1D, 0x49, 0x01}, "GS I 1", 0},
      {{0x10, 0x04, 0x04}, "DLE EOT 4", 0},
      {{0x1B, 0x6F, 0x01}, "ESC o 1", 0},
      {{0x0D}, "CR", 0},
      {{0x1B, 0x2A, 0x21, 0x01, 0x00, 0x01, 0x02, 0x03}, "ESC * 33 1: 3 bytes", 0},
      {Bytes{0x1B, 0x58, 0x2A, 0x07, 0x1B, 0x2A, 0x01, 0x00, 0x01} + Bytes(256, 0x11),
       "ESC X * 7, ESC * 1 256: 256 bytes", 0},
      {two + Bytes{0x01, 0x00, 0x02, 0x00, 1, 2, 3, 4, 5},
       "FS q 2: 8x8 INCOMPLETE (image 2 of 2 (8x16) cut off after 5 of 16 bytes)", 1},
      {two + Bytes{0x01, 0x00}, "FS q 2: 8x8 INCOMPLETE (image 2 of 2: header cut off after 01 00)",
       1},
      {{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x30, 0x01, 0xFF},
       "ESC X * 0, ESC * 1 304: 1 byte INCOMPLETE (received 1 of 304 data bytes)", 0},
      {two + Bytes{0x00, 0x00, 0x05, 0x00}, "FS q 2 REJECTED (image 2 is empty (0x40))", 0},
      {Bytes{0x1C, 0x71, 0x01, 0xFF, 0xFF, 0xFF, 0xFF} + Bytes(5000, 0xAA),
       "FS q 1 INCOMPLETE (image 1 of 1 (524280x524280) cut off after 5000 of 34358689800 "
       "bytes) REJECTED (image data above 1048576 bytes)", 0},
  };
  for (const auto& [bytes, text, images] : cases) {
    const std::vector<Command> commands = DecodeAll(bytes);
    ASSERT_EQ(commands.size(), 1u) << text;
    EXPECT_EQ(std::tuple(commands[0].length, commands[0].images.size(), Describe(commands[0])),
              std::tuple(bytes.size(), images, text));
  }
  Decoder decoder(16);  // a memory of 16 bytes takes two 8 x 8 images, not three
  std::vector<Command> out;
  const Bytes three = Bytes{0x1C, 0x71, 0x03} + kBlock + kBlock + kBlock;
  decoder.Feed(three.data(), three.size(), out);
  decoder.Feed(two.data(), 2, out);
  decoder.Finish(out);
  EXPECT_EQ(Lines(out), (Strings{"       0  FS q 3 REJECTED (image data above 16 bytes)",
                                 "      39  FS q INCOMPLETE (cut off after 1C 71)"}));
  decoder.Feed(two.data(), 1, out);
  decoder.Finish(out);
  EXPECT_EQ(Lines(out).back(), "       0  FS INCOMPLETE (cut off after 1C)");
}

// Random streams, fed in random pieces, decode as when fed whole; the
// commands cover every byte once, in order; the printer takes them all.
TEST(PrinterDecoder, ArbitraryStreamsProperty) {
  std::mt19937 rng(20261206);
  const Bytes parts[] = {
      {0x1B, 0x40}, {0x1C, 0x65}, {0x1D, 0x49, 0x01}, {0x1C, 0x70, 0x02, 0x31}, {0x0D, 0x0A},
      {0x1D, 0x56, 0x42, 0x01}, {0x1B, 0x6F, 0x00}, {0x1B, 0x6D}, {0x00, 0x1B}, {0x10, 0x04, 0x02},
      {0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x03, 0x00, 1, 2, 3}, {0x1C},
      Bytes{0x1C, 0x71, 0x02} + kBlock + kBlock};
  for (int round = 0; round < 4000; ++round) {
    Bytes stream;
    for (int i = rng() % 41; i > 0; --i) stream = stream + parts[rng() % 13];
    stream.resize(stream.size() - rng() % (stream.size() + 1) / 2);
    for (int i = rng() % 4; i > 0 && !stream.empty(); --i) {
      stream[rng() % stream.size()] = static_cast<std::uint8_t>(rng());
    }
    const std::vector<Command> whole = DecodeAll(stream);
    Decoder decoder;
    std::vector<Command> pieces;
    for (std::size_t at = 0, size = 0; at < stream.size(); at += size) {
      size = std::min<std::size_t>(stream.size() - at, 1 + rng() % 7);
      if (rng() % 2) size = decoder.FeedUntilCommand(stream.data() + at, size, pieces);
      else decoder.Feed(stream.data() + at, size, pieces);
    }
    decoder.Finish(pieces);
    ASSERT_EQ(Lines(pieces), Lines(whole));
    Printer printer;
    std::uint64_t next = 0;
    for (const Command& c : whole) {
      ASSERT_EQ(std::pair(c.offset, c.length > 0), std::pair(next, true));
      next += c.length;
      printer.Apply(c);
    }
    ASSERT_EQ(next, stream.size());
  }
}

// A session logs each command's outcome, writes the page, nv-N.png and
// the store, and counts; real-time requests are answered on arrival (also
// inside image data, however the bytes are split), GS I in its turn.
TEST(PrinterSession, LogsAnswersWritesAndCounts) {
  test::TempDir dir;
  Output output(dir.File("out"));
  std::string error;
  ASSERT_TRUE(output.Open(error));
  PrinterSetup setup;
  setup.status = {0x12, 0x12, 0x12, 0x1E};
  Printer printer(setup);
  const Bytes stream = Bytes{0x1D, 0x49, 0x01, 0x10, 0x04, 0x04, 0x1C, 0x71, 0x01, 0x01, 0x00,
                             0x01, 0x00, 0x10, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00} +
                       Bytes{0x1C, 0x70, 0x01, 0x31, 0x1D, 0x56, 0x42, 0x01, 0x07, 0x10, 0x04};
  for (std::size_t split = 1; split < stream.size(); ++split) {
    Session pieces(printer, output, nullptr);
    const Bytes first = pieces.Receive(stream.data(), split);
    EXPECT_EQ(first + pieces.Receive(stream.data() + split, stream.size() - split),
              (Bytes{0x1E, 0x12})) << split;
  }
  ASSERT_TRUE(output.Open(error));  // a fresh log
  const NvStore store(dir.File("nv"));
  Session session(printer, output, &store);
  EXPECT_EQ(session.Feed(stream.data(), stream.size()), (Bytes{0x1E, 0x12, 0x20}));
  session.Finish();
  EXPECT_EQ(dir.Read("out/commands.log"),
            "       3  DLE EOT 4: replied 1E\n"
            "      13  DLE EOT 1: replied 12\n"
            "       0  GS I 1: replied 20\n"
            "       6  FS q 1: 8x8: stored 1 image\n"
            "      21  FS p 1 49: printed 16x8 (double width)\n"
            "      25  GS V 66 1: page 16x8 saved as page-1.png\n"
            "      29  unknown 1 byte: 07: skipped\n"
            "      30  DLE EOT INCOMPLETE (cut off after 10 04): ignored\n");
  EXPECT_EQ(Summary(3, "127.0.0.1:5000", session.stats(), printer, "closed by host"),
            "connection 3 (127.0.0.1:5000): 32 bytes, 6 commands, 1 unknown byte, 1 incomplete, "
            "1 page, 3 replies; NV 1 image; closed by host");
  EXPECT_EQ(dir.Read("nv/nv-images.bin"), std::string("\x1C\x71\x01\x01\x00\x01\x00\x10\x04\x01"
                                                      "\0\0\0\0\0", 15));
  const auto page = ReadPngFile(dir.File("out/page-1.png"));
  const auto nv = ReadPngFile(dir.File("out/nv-1.png"));
  ASSERT_TRUE(page && nv);
  // Column 0 (doubled on the page) has its dot in row 3, column 1 in row 5, column 2 in row 7.
  for (const auto& [picture, scale] : {std::pair(*nv, 1), std::pair(*page, 2)}) {
    Raster expected(8 * scale, 8);
    for (int x = 0; x < 3 * scale; ++x) expected.Set(x, 3 + 2 * (x / scale));
    EXPECT_TRUE(picture == expected) << scale;
  }
}

// Pages are numbered after an earlier run's; a smaller set removes the
// higher nv-N.png (not files that are not ours) and an empty one the
// store; a damaged store is refused by name.
TEST(PrinterFiles, KeepEarlierPagesFollowTheSetAndRefuseADamagedStore) {
  test::TempDir dir;
  dir.Write("page-7.png", "earlier run");
  dir.Write("nv-notes.png", "not ours");
  Output output(dir.str());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  const NvImage block{1, 1, Bytes(kBlock.begin() + 4, kBlock.end())};
  ASSERT_TRUE(output.WriteNv({block, block, block}) && output.WriteNv({block}));
  EXPECT_EQ(std::tuple(dir.Exists("nv-1.png"), dir.Exists("nv-2.png"), dir.Exists("nv-3.png"),
                       dir.Exists("nv-notes.png")), std::tuple(true, false, false, true));
  EXPECT_EQ(output.WritePage(Raster(8, 8)), 8);
  EXPECT_EQ(dir.Read("page-7.png"), "earlier run");
  const NvStore store(dir.File("nv"));
  ASSERT_TRUE(store.SaveNv({block}) && store.SaveNv({}));
  EXPECT_FALSE(dir.Exists("nv/nv-images.bin"));
  std::vector<NvImage> images;
  DotLogo logo;
  const Bytes good = Bytes{0x1C, 0x71, 0x01} + kBlock;
  for (const Bytes& damaged : {Bytes(good.begin(), good.end() - 1), good + Bytes{0x00},
                               Bytes{0x1C, 0x71, 0x00}, Bytes{0x1B, 0x40}, Bytes{}}) {
    dir.Write("nv/nv-images.bin", std::string(damaged.begin(), damaged.end()));
    EXPECT_FALSE(store.Load(images, logo, error));
    EXPECT_EQ(error, dir.File("nv/nv-images.bin") + " is damaged");
  }
}

// Defaults (loopback port 9100, answer 20, 4 KiB buffer, 1 MiB of NV
// memory) and values; each state's status bytes, by hand; bad lines.
TEST(PrinterOptions, ReadsDefaultsValuesAndStatesAndRefusesBadLines) {
  std::string error;
  auto o = ParseOptions({}, error);
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->bind, o->port, o->printer.model, o->rcvbuf, o->printer.nvBytes),
            std::tuple("127.0.0.1", 9100, Bytes{0x20}, 4096u, 1048576u));
  o = ParseOptions({"--id", "0D0a,none,414243", "--rate", "960", "--nv-size", "2097152"}, error);
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->printer.model, o->printer.type, o->printer.version, o->rate),
            std::tuple(Bytes{0x0D, 0x0A}, Bytes{}, Bytes{0x41, 0x42, 0x43}, 960u));
  EXPECT_EQ(o->printer.nvBytes, 2097152u);
  const std::pair<const char*, StatusBytes> states[] = {
      {"online", {0x12, 0x12, 0x12, 0x12}},     {"offline", {0x1A, 0x12, 0x12, 0x12}},
      {"cover-open", {0x1A, 0x16, 0x12, 0x12}}, {"paper-feed", {0x1A, 0x1A, 0x12, 0x12}},
      {"paper-out", {0x1A, 0x32, 0x12, 0x7E}},  {"error", {0x1A, 0x52, 0x16, 0x12}},
      {"cutter-error", {0x1A, 0x52, 0x1A, 0x12}},
      {"unrecoverable-error", {0x1A, 0x52, 0x32, 0x12}},
      {"auto-recoverable-error", {0x1A, 0x52, 0x52, 0x12}},
      {"cover-open,paper-out,cutter-error", {0x1A, 0x76, 0x1A, 0x7E}},
  };
  for (const auto& [text, bytes] : states) {
    o = ParseOptions({"--status", text}, error);
    EXPECT_TRUE(o && o->printer.status == bytes) << text;
  }
  const std::pair<Strings, std::string> bad[] = {
      {{"--port", "65536"}, "bad value for --port: 65536"},
      {{"--port"}, "--port needs a value"},
      {{"--bind", "localhost"}, "bad value for --bind: localhost"},
      {{"--reply", "zz"}, "bad value for --reply: zz"},
      {{"--reply", std::string(102, '0')}, "bad value for --reply: " + std::string(102, '0')},
      {{"--close-after", "0"}, "bad value for --close-after: 0"},
      {{"--serial", "--port", "9100"}, "--serial cannot be combined with --bind or --port"},
      {{"--serial", "--replay", "f"}, "--serial and --replay cannot be combined"},
      {{"--replay", "f", "--bind", "127.0.0.1"}, "--bind and --port are for TCP only"},
      {{"--rcvbuf", "0"}, "bad value for --rcvbuf: 0"},
      {{"--nv-size", "2097153"}, "bad value for --nv-size: 2097153"},
      {{"--id", "20,02"}, "bad value for --id: 20,02"},
      {{"--status", "cover"}, "bad value for --status: cover (unknown printer state \"cover\")"},
      {{"--status", "online,offline"}, "bad value for --status: online,offline (online cannot be "
                                       "combined with a state that makes the printer off-line)"},
      {{"--id", "20,02,10", "--reply", "none"},
       "--reply and --id give different answers to GS I 1"},
      {{"--silent", "--reply", "20"}, "--silent cannot be combined with --reply or --id"},
  };
  for (const auto& [args, why] : bad) {
    EXPECT_FALSE(ParseOptions(args, error));
    EXPECT_EQ(error, why);
  }
}

// Peak memory below 64 MiB (a 1 GiB replay); sanitizers: behaviour only.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMaxPeakKb = LONG_MAX;
constexpr long long kReplayBytes = 64ll << 20;
#else
constexpr long kMaxPeakKb = 64 * 1024;
constexpr long long kReplayBytes = 1ll << 30;
#endif

// FS q 1 with one 8 x 8 image; FS p 1 in size mode `mode`.
const Bytes kDefine = Bytes{0x1C, 0x71, 0x01} + kBlock;
Bytes Print(std::uint8_t mode) { return {0x1C, 0x70, 0x01, mode}; }

// A blocking send takes all of `b` or fails (no SIGPIPE).
bool SendAll(int fd, const Bytes& b) {
  return ::send(fd, b.data(), b.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(b.size());
}

// The next byte the printer answers within 3 s, or 0.
int ReadByte(int fd) {
  std::string got;
  return test::detail::ReadSome(fd, 3000, got) ? static_cast<std::uint8_t>(got[0]) : 0;
}

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

// Printing takes time (40 x 16 rows at 1000 rows/s): a GS I after it
// waits, a DLE EOT is answered at once.
TEST(PrinterProcess, PrintingTakesTimeButStatusIsAnsweredAtOnce) {
  test::TempDir dir;
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

// Off-line, the printer takes only its receive buffer. A hostile stream
// is kept up with in bounded memory: the largest image printed beyond a
// page, a 64 MiB image set (rejected), zeros for 1.5 s.
TEST(PrinterProcess, ReceiveBufferAndMemoryAreBounded) {
  test::TempDir dir;
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

// --nv-store keeps NV memory for the next replay; the sample prints the
// README's page; a large file replays in bounded memory; a FIFO is refused
// at once, a bad option with status 2.
TEST(PrinterProcess, Replays) {
  test::TempDir dir;
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
  // The sample stream (two images in three size modes, feeds, a cut)
  // prints the README's picture; if either changes, the other is remade.
  BackgroundProcess sample({BRINDLE_PRINTER_EXE, "--replay",
                            BRINDLE_SOURCE_DIR "/tools/printer/samples/sample-page.bin", "--out",
                            dir.File("sample")});
  EXPECT_THAT(sample.ReadLine(), HasSubstr(" 0 unknown bytes, 0 incomplete, 1 page"));
  EXPECT_EQ(sample.Stop(0), 0);
  const auto printed = ReadPngFile(dir.File("sample/page-1.png"));
  const auto readme = ReadPngFile(BRINDLE_SOURCE_DIR "/docs/printed-page.png");
  EXPECT_TRUE(printed && readme && *printed == *readme);

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
