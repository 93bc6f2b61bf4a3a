// The device check on a logging transport: what is written, when a reply
// is read, and how any reply is judged.
#include <gtest/gtest.h>

#include <random>

#include "RecordingPort.h"
#include "port/CheckDevice.h"

namespace brindle {
namespace {

using namespace test;

constexpr int kSerial = -100;  // stands for the serial form, which takes no code
const Log kAsk = {W({0x1D, 0x49, 0x01})};
const Log kAskRead = kAsk + Log{Rd(50)};

int Check(LogPort& port, int code, int syncIo) {
  return code == kSerial ? CheckDevice(port) : CheckDevice(port, code, syncIo);
}

TEST(CheckDevice, SendsTheRequestAndReadsWhereTheFormSays) {
  struct Case {
    int code, syncIo;
    Bytes reply;  // empty: the device stays silent
    int expected;
    bool reads;
  } cases[] = {
      {kSerial, 0, {0x0D}, 1, true}, {kSerial, 1, {0x20, 0x00}, 1, true},
      {kSerial, 0, {0x41, 0x0D}, 0, true}, {kSerial, 0, {}, 0, true},
      {0, 0, {0x0D}, 1, true},  {0, 1, {0x20}, 1, true},  {0, 0, {0x41}, 1, true},
      {0, 1, {0x41}, 0, true},  {0, 0, {}, 1, true},      {0, 1, {}, 0, true},
      {1, 1, {0x41}, 1, false}, {3, 1, {}, 1, false},     {3, 0, {0x0D}, 1, false},
      {-1, 1, {}, 1, false},
  };
  for (const Case& c : cases) {
    Log log;
    LogPort port(log);
    if (!c.reply.empty()) port.replies.push_back(c.reply);
    EXPECT_EQ(Check(port, c.code, c.syncIo), c.expected) << c.code << " syncIo " << c.syncIo;
    EXPECT_TRUE(SameLog(log, c.reads ? kAskRead : kAsk));
  }
}

// A request that cannot be written fails every form without reading; a
// receive error (-1, as a TCP time-out reports) counts as silence.
TEST(CheckDevice, FailsOnAnUnwrittenRequestAndTakesAReceiveErrorAsSilence) {
  for (int code : {kSerial, 0, 1, 3}) {
    for (int syncIo : {0, 1}) {
      Log log;
      LogPort port(log);
      port.failingWrites = {0};
      port.replies.push_back({0x0D});
      EXPECT_EQ(Check(port, code, syncIo), 0) << code << " " << syncIo;
      EXPECT_TRUE(SameLog(log, kAsk));
    }
  }
  for (int syncIo : {0, 1}) {
    Log log;
    LogPort port(log);
    port.silentResult = -1;
    EXPECT_EQ(CheckDevice(port, 0, syncIo), syncIo == 0 ? 1 : 0);
  }
}

// Property: for arbitrary reply bytes, every form depends on the first
// byte alone, and the printer forms without syncIo pass whatever comes.
TEST(CheckDeviceProperty, ArbitraryRepliesAreJudgedByTheirFirstByte) {
  std::mt19937 rng(20261206);
  std::uniform_int_distribution<int> len(0, 80), byte(0, 255), pick(0, 9);
  for (int i = 0; i < 20000; ++i) {
    Bytes reply(len(rng));
    for (auto& b : reply) b = static_cast<std::uint8_t>(pick(rng) == 0 ? 0x0D : byte(rng));
    if (!reply.empty() && pick(rng) == 1) reply[0] = 0x20;
    const bool ready = !reply.empty() && (reply[0] == 0x0D || reply[0] == 0x20);
    for (int code : {kSerial, 0}) {
      for (int syncIo : {0, 1}) {
        Log log;
        LogPort port(log);
        port.replies.push_back(reply);
        ASSERT_EQ(Check(port, code, syncIo), ready || (code == 0 && syncIo == 0) ? 1 : 0);
      }
    }
  }
}

}  // namespace
}  // namespace brindle
