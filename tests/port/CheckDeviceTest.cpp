// The device check on a recording transport: what is written, when a
// reply is read, and how every possible reply is judged.
#include <gtest/gtest.h>

#include <random>

#include "port/CheckDevice.h"
#include "RecordingPort.h"

namespace brindle {
namespace {

using test::RecordingPort;
using Bytes = std::vector<std::uint8_t>;
const Bytes kRequest = {0x1D, 0x49, 0x01};

TEST(CheckDeviceSerial, SendsRequestThenJudgesFirstByteOfReply) {
  struct Case {
    Bytes reply;  // empty: the device stays silent
    int expected;
  };
  const Case cases[] = {
      {{0x0D}, 1},       {{0x20}, 1},       {{0x0D, 0x41, 0x42}, 1}, {{0x20, 0x00}, 1},
      {{0x41, 0x0D}, 0}, {{0x00, 0x0D}, 0}, {{0x0A}, 0},             {{0xFF}, 0},
      {{}, 0},
  };
  for (const Case& c : cases) {
    RecordingPort port;
    if (!c.reply.empty()) port.replies.push_back(c.reply);
    EXPECT_EQ(CheckDevice(port), c.expected) << "first reply byte " << int(c.reply.empty() ? -1 : c.reply[0]);
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[0].op, RecordingPort::Op::Write);
    EXPECT_EQ(port.calls[0].bytes, kRequest);
    EXPECT_EQ(port.calls[1].op, RecordingPort::Op::Read);
    EXPECT_EQ(port.calls[1].size, 50u);
  }
}

TEST(CheckDeviceSerial, FailedRequestFailsWithoutReading) {
  RecordingPort port;
  port.failingWrites = {0};
  port.replies.push_back({0x0D});
  EXPECT_EQ(CheckDevice(port), 0);
  EXPECT_EQ(port.calls.size(), 1u);
}

TEST(CheckDevicePrinterAndTcp, ReadsOnlyForCodeZeroAndIsLenientWithoutSyncIo) {
  struct Case {
    int code;
    int syncIo;
    Bytes reply;
    int expected;
    bool reads;
  };
  const Case cases[] = {
      {0, 0, {0x0D}, 1, true},  {0, 1, {0x0D}, 1, true},  {0, 1, {0x20}, 1, true},
      {0, 0, {0x41}, 1, true},  {0, 1, {0x41}, 0, true},  {0, 0, {}, 1, true},
      {0, 1, {}, 0, true},      {1, 1, {0x41}, 1, false}, {3, 1, {}, 1, false},
      {3, 0, {0x0D}, 1, false}, {-1, 1, {}, 1, false},
  };
  for (const Case& c : cases) {
    RecordingPort port;
    if (!c.reply.empty()) port.replies.push_back(c.reply);
    EXPECT_EQ(CheckDevice(port, c.code, c.syncIo), c.expected)
        << "code " << c.code << " syncIo " << c.syncIo;
    ASSERT_EQ(port.calls.size(), c.reads ? 2u : 1u);
    EXPECT_EQ(port.calls[0].bytes, kRequest);
    if (c.reads) {
      EXPECT_EQ(port.calls[1].size, 50u);
    }
  }
}

TEST(CheckDevicePrinterAndTcp, FailedRequestFailsForEveryCodeAndStyle) {
  for (int code : {0, 1, 3}) {
    for (int syncIo : {0, 1}) {
      RecordingPort port;
      port.failingWrites = {0};
      EXPECT_EQ(CheckDevice(port, code, syncIo), 0);
      EXPECT_EQ(port.calls.size(), 1u);
    }
  }
}

TEST(CheckDevicePrinterAndTcp, ReceiveErrorCountsAsEmptyReply) {
  // A TCP receive that times out reports -1 and leaves the buffer cleared.
  RecordingPort strict;
  strict.silentReadResult = -1;
  EXPECT_EQ(CheckDevice(strict, 0, 1), 0);
  RecordingPort lenient;
  lenient.silentReadResult = -1;
  EXPECT_EQ(CheckDevice(lenient, 0, 0), 1);
}

// Property: for arbitrary reply bytes, every form depends on the first
// byte alone, exactly as the rule says.
TEST(CheckDeviceProperty, ArbitraryRepliesAreJudgedByTheirFirstByte) {
  std::mt19937 rng(20261206);
  std::uniform_int_distribution<int> len(0, 80), byte(0, 255), pick(0, 9);
  for (int i = 0; i < 20000; ++i) {
    Bytes reply(len(rng));
    for (auto& b : reply) b = static_cast<std::uint8_t>(pick(rng) == 0 ? 0x0D : byte(rng));
    if (!reply.empty() && pick(rng) == 1) reply[0] = 0x20;
    const bool ready = !reply.empty() && (reply[0] == 0x0D || reply[0] == 0x20);

    RecordingPort serial;
    serial.replies.push_back(reply);
    ASSERT_EQ(CheckDevice(serial), ready ? 1 : 0);
    for (int syncIo : {0, 1}) {
      RecordingPort port;
      port.replies.push_back(reply);
      ASSERT_EQ(CheckDevice(port, 0, syncIo), ready || syncIo == 0 ? 1 : 0);
      // Never more than the 50 bytes asked for are handed over.
      ASSERT_LE(port.calls.back().bytes.size(), 50u);
    }
  }
}

}  // namespace
}  // namespace brindle
