// The command line of brindle-printer and its help.
#include <gtest/gtest.h>

#include <tuple>

#include "tools/printer/Options.h"

namespace brindle::printer {
namespace {

using Reply = std::vector<std::uint8_t>;

std::optional<Options> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string ignored;
  return ParseOptions(args, error ? *error : ignored);
}

// By default the printer listens on loopback port 9100 only, answers 20,
// has a 4 KiB buffer and 1 MiB of NV memory, and has no fault mode on.
TEST(PrinterOptions, ReadsDefaultsAndEveryOption) {
  auto o = Parse({});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->kind, o->bind, o->port, o->printer.model, o->outDir),
            std::tuple(PortKind::Tcp, "127.0.0.1", 9100, Reply{0x20}, "printer-out"));
  EXPECT_EQ(std::tie(o->closeAfter, o->stallAfter, o->rate, o->rcvbuf, o->printer.nvBytes),
            std::tuple(0u, 0u, 0u, 4096u, 1048576u));
  o = Parse({"--bind", "0.0.0.0", "--port", "0", "--out", "o", "--nv-store", "s", "--reply",
             "0d0A", "--close-after", "12", "--stall-after", "34", "--rate", "960", "--rcvbuf",
             "1048576", "--nv-size", "2097152", "--id", "0D0a,none,414243"});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->bind, o->port, o->outDir, o->nvStore, o->printer.model),
            std::tuple("0.0.0.0", 0, "o", "s", Reply{0x0D, 0x0A}));
  EXPECT_EQ(std::tie(o->printer.type, o->printer.version, o->rcvbuf, o->printer.nvBytes),
            std::tuple(Reply{}, Reply{0x41, 0x42, 0x43}, 1048576u, 2097152u));
  EXPECT_EQ(std::tie(o->closeAfter, o->stallAfter, o->rate), std::tuple(12u, 34u, 960u));
  o = Parse({"--link", "/tmp/devs/ttyS0", "--reply", "none"});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->kind, o->link, o->printer.model),
            std::tuple(PortKind::Serial, "/tmp/devs/ttyS0", Reply{}));
  EXPECT_EQ(Parse({"--replay", "capture.bin"})->kind, PortKind::Replay);
  EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(PrinterOptions, RefusesBadCommandLines) {
  struct Case { std::vector<std::string> args; std::string error; };
  const Case cases[] = {
      {{"--port", "65536"}, "bad value for --port: 65536"},
      {{"--port", "-1"}, "bad value for --port: -1"},
      {{"--port"}, "--port needs a value"},
      {{"--bind", "localhost"}, "bad value for --bind: localhost"},
      {{"--reply", "2"}, "bad value for --reply: 2"},
      {{"--reply", "zz"}, "bad value for --reply: zz"},
      {{"--reply", std::string(102, '0')}, "bad value for --reply: " + std::string(102, '0')},
      {{"--rate", "fast"}, "bad value for --rate: fast"},
      {{"--close-after", "0"}, "bad value for --close-after: 0"},
      {{"--serial", "--port", "9100"}, "--serial cannot be combined with --bind or --port"},
      {{"--serial", "--replay", "f"}, "--serial and --replay cannot be combined"},
      {{"--replay", "f", "--bind", "127.0.0.1"}, "--bind and --port are for TCP only"},
      {{"--verbose"}, "unknown option --verbose"},
      {{"--rcvbuf", "0"}, "bad value for --rcvbuf: 0"},
      {{"--nv-size", "2097153"}, "bad value for --nv-size: 2097153"},
      {{"--id", "20,02"}, "bad value for --id: 20,02"},
      {{"--status", "cover"}, "bad value for --status: cover (unknown printer state \"cover\")"},
      {{"--status", "online,offline"},
       "bad value for --status: online,offline (online cannot be combined with a state that "
       "makes the printer off-line)"},
      {{"--id", "20,02,10", "--reply", "none"},
       "--reply and --id give different answers to GS I 1"},
      {{"--silent", "--reply", "20"}, "--silent cannot be combined with --reply or --id"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error)) << c.args[0];
    EXPECT_EQ(error, c.error);
  }
}

// Each state's status bytes (DLE EOT 1, 2, 3, 4), written out by hand;
// states combine.
TEST(PrinterOptions, StatusStatesSetTheStatusBytes) {
  const std::pair<const char*, StatusBytes> cases[] = {
      {"online", {0x12, 0x12, 0x12, 0x12}},
      {"offline", {0x1A, 0x12, 0x12, 0x12}},
      {"cover-open", {0x1A, 0x16, 0x12, 0x12}},
      {"paper-feed", {0x1A, 0x1A, 0x12, 0x12}},
      {"paper-near-end", {0x12, 0x12, 0x12, 0x1E}},
      {"paper-out", {0x1A, 0x32, 0x12, 0x7E}},
      {"error", {0x1A, 0x52, 0x16, 0x12}},
      {"cutter-error", {0x1A, 0x52, 0x1A, 0x12}},
      {"unrecoverable-error", {0x1A, 0x52, 0x32, 0x12}},
      {"auto-recoverable-error", {0x1A, 0x52, 0x52, 0x12}},
      {"cover-open,paper-out,cutter-error", {0x1A, 0x76, 0x1A, 0x7E}},
  };
  for (const auto& [text, bytes] : cases) {
    const auto o = Parse({"--status", text});
    ASSERT_TRUE(o) << text;
    EXPECT_EQ(o->printer.status, bytes) << text;
  }
}

TEST(PrinterOptions, HelpNamesEveryOption) {
  const std::string help = HelpText();
  for (const char* name : {"--bind", "--port", "--serial", "--link", "--replay", "--out",
                           "--nv-store", "--reply", "--close-after", "--stall-after", "--rate",
                           "--rcvbuf", "--nv-size", "--status", "--id", "--silent"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace brindle::printer
