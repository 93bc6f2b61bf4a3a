// The device check on a logging transport: what is written, when a reply
// is read, and how any reply is judged.
#include <gtest/gtest.h>

#include <random>

#include "support/RecordingPort.h"
#include "port/CheckDevice.h"

namespace brindle {
namespace {

using namespace test;

constexpr int kSerial = -100;  // stands for the serial form, which takes no code
const Log kAsk = {W({0x1D, 0x49, 0x01})};
const Log kAskRead = kAsk + Log{Rd(50)};

int Check(LogPort& port, int code) {
  return code == kSerial ? CheckDevice(port) : CheckDevice(port, code);
}

// The serial form judges the reply; the printer form reads it for code 0
// only and lets anything through. A request that cannot be written fails
// every form without reading.
TEST(CheckDevice, SendsTheRequestAndReadsWhereTheFormSays) {
  struct Case {
    int code;
    Bytes reply;  // empty: the device stays silent
    int expected;
    bool reads;
    bool writeFails = false;
  } cases[] = {
      {kSerial, {0x0D}, 1, true}, {kSerial, {0x20, 0x00}, 1, true},
      {kSerial, {0x41, 0x0D}, 0, true}, {kSerial, {}, 0, true},
      {0, {0x0D}, 1, true},  {0, {0x41}, 1, true},  {0, {}, 1, true},
      {1, {0x41}, 1, false}, {3, {0x0D}, 1, false}, {-1, {}, 1, false},
      {kSerial, {0x0D}, 0, false, true}, {0, {0x0D}, 0, false, true},
      {3, {0x0D}, 0, false, true},
  };
  for (const Case& c : cases) {
    Log log;
    LogPort port(log);
    if (!c.reply.empty()) port.replies.push_back(c.reply);
    if (c.writeFails) port.failingWrites = {0};
    EXPECT_EQ(Check(port, c.code), c.expected) << c.code;
    EXPECT_TRUE(SameLog(log, c.reads ? kAskRead : kAsk));
  }
}

// Property: for arbitrary reply bytes, the serial form depends on the
// first byte alone.
TEST(CheckDeviceProperty, ArbitraryRepliesAreJudgedByTheirFirstByte) {
  std::mt19937 rng(20261206);
  std::uniform_int_distribution<int> len(0, 80), byte(0, 255), pick(0, 9);
  for (int i = 0; i < 20000; ++i) {
    Bytes reply(len(rng));
    for (auto& b : reply) b = static_cast<std::uint8_t>(pick(rng) == 0 ? 0x0D : byte(rng));
    if (!reply.empty() && pick(rng) == 1) reply[0] = 0x20;
    const bool ready = !reply.empty() && (reply[0] == 0x0D || reply[0] == 0x20);
    Log log;
    LogPort port(log);
    port.replies.push_back(reply);
    ASSERT_EQ(CheckDevice(port), ready ? 1 : 0);
  }
}

}  // namespace
}  // namespace brindle
