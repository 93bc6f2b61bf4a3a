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
// and has no fault mode on.
TEST(PrinterOptions, ReadsDefaultsAndEveryOption) {
  auto o = Parse({});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->kind, o->bind, o->port, o->reply, o->outDir),
            std::tuple(PortKind::Tcp, "127.0.0.1", 9100, Reply{0x20}, "printer-out"));
  EXPECT_EQ(std::tie(o->closeAfter, o->stallAfter, o->rate), std::tuple(0u, 0u, 0u));
  o = Parse({"--bind", "0.0.0.0", "--port", "0", "--out", "o", "--nv-store", "s", "--reply",
             "0d0A", "--close-after", "12", "--stall-after", "34", "--rate", "960"});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->bind, o->port, o->outDir, o->nvStore, o->reply),
            std::tuple("0.0.0.0", 0, "o", "s", Reply{0x0D, 0x0A}));
  EXPECT_EQ(std::tie(o->closeAfter, o->stallAfter, o->rate), std::tuple(12u, 34u, 960u));
  o = Parse({"--link", "/tmp/devs/ttyS0", "--reply", "none"});
  ASSERT_TRUE(o);
  EXPECT_EQ(std::tie(o->kind, o->link, o->reply),
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
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error)) << c.args[0];
    EXPECT_EQ(error, c.error);
  }
}

TEST(PrinterOptions, HelpNamesEveryOption) {
  const std::string help = HelpText();
  for (const char* name : {"--bind", "--port", "--serial", "--link", "--replay", "--out",
                           "--nv-store", "--reply", "--close-after", "--stall-after", "--rate"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace brindle::printer
