#include <gtest/gtest.h>

#include <string>

#include "tools/printer/Options.h"

namespace brindle::printer {
namespace {

std::optional<Options> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string ignored;
  return ParseOptions(args, error ? *error : ignored);
}

TEST(PrinterOptions, DefaultsListenOnLoopback9100) {
  const auto o = Parse({});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->kind, PortKind::Tcp);
  EXPECT_EQ(o->bind, "127.0.0.1");
  EXPECT_EQ(o->port, 9100);
  EXPECT_EQ(o->reply, std::vector<std::uint8_t>{0x20});
  EXPECT_EQ(o->outDir, "printer-out");
  EXPECT_EQ(o->closeAfter, 0u);
  EXPECT_EQ(o->stallAfter, 0u);
  EXPECT_EQ(o->rate, 0u);
}

TEST(PrinterOptions, ReadsEveryOption) {
  const auto o = Parse({"--bind", "0.0.0.0", "--port", "0", "--out", "o", "--nv-store", "s",
                        "--reply", "0d0A", "--close-after", "12", "--stall-after", "34",
                        "--rate", "960"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->bind, "0.0.0.0");
  EXPECT_EQ(o->port, 0);
  EXPECT_EQ(o->outDir, "o");
  EXPECT_EQ(o->nvStore, "s");
  EXPECT_EQ(o->reply, (std::vector<std::uint8_t>{0x0D, 0x0A}));
  EXPECT_EQ(o->closeAfter, 12u);
  EXPECT_EQ(o->stallAfter, 34u);
  EXPECT_EQ(o->rate, 960u);

  const auto serial = Parse({"--link", "/tmp/devs/ttyS0", "--reply", "none"});
  ASSERT_TRUE(serial);
  EXPECT_EQ(serial->kind, PortKind::Serial);
  EXPECT_EQ(serial->link, "/tmp/devs/ttyS0");
  EXPECT_TRUE(serial->reply.empty());

  const auto replay = Parse({"--replay", "capture.bin"});
  ASSERT_TRUE(replay);
  EXPECT_EQ(replay->kind, PortKind::Replay);
  EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(PrinterOptions, RefusesBadCommandLines) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--port", "65536"}, "bad value for --port: 65536"},
      {{"--port", "-1"}, "bad value for --port: -1"},
      {{"--port"}, "--port needs a value"},
      {{"--bind", "localhost"}, "bad value for --bind: localhost"},
      {{"--reply", "2"}, "bad value for --reply: 2"},
      {{"--reply", "zz"}, "bad value for --reply: zz"},
      {{"--reply", std::string(102, '0')}, nullptr},
      {{"--close-after", "0"}, "bad value for --close-after: 0"},
      {{"--rate", "fast"}, "bad value for --rate: fast"},
      {{"--serial", "--port", "9100"}, "--serial cannot be combined with --bind or --port"},
      {{"--serial", "--replay", "f"}, "--serial and --replay cannot be combined"},
      {{"--replay", "f", "--bind", "127.0.0.1"}, "--bind and --port are for TCP only"},
      {{"--verbose"}, "unknown option --verbose"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error)) << c.args[0];
    if (c.error) {
      EXPECT_EQ(error, c.error);
    }
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
