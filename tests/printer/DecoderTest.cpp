// The decoder on hand-written streams: the worked examples, every command
// form, garbage, streams cut off, and its accounting of every byte.
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

#include "printer/TestStreams.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

using namespace test;

TEST(PrinterDecoder, WorkedExamplesAndTwoImages) {
  std::vector<Command> commands = DecodeAll(ThermalExample());
  ASSERT_EQ(Lines(commands), (Strings{"       0  ESC @", "       2  FS q 1: 200x104"}));
  EXPECT_EQ(DotsOf(commands[1].images.at(0).ToRaster()), kThermalDots);

  commands = DecodeAll(DotExample());
  ASSERT_EQ(Lines(commands), (Strings{"       0  ESC @", "       2  ESC o 0",
                                      "       5  ESC X * 0, ESC * 1 304: 304 bytes",
                                      "     318  ESC X * 1, ESC * 1 304: 304 bytes",
                                      "     631  ESC X * 2, ESC * 1 304: 304 bytes"}));
  for (std::size_t j = 0; j < 3; ++j) EXPECT_EQ(commands[2 + j].data, Repeat(kDotFill[j], 304));

  commands = DecodeAll(Bytes{0x1C, 0x71, 0x02} + kSmallBlock + StairBlock());
  ASSERT_EQ(Lines(commands), Strings{"       0  FS q 2: 8x8, 16x8"});
  EXPECT_EQ(Draw(commands[0].images.at(0).ToRaster()), Draw(SmallImage()));
  EXPECT_EQ(Draw(commands[0].images.at(1).ToRaster()), Draw(Stair()));
}

// Every command form with its exact bytes, length and log text.
TEST(PrinterDecoder, DecodesEachCommandForm) {
  struct Case { Bytes bytes; Op op; const char* text; };
  const Case cases[] = {
      {{0x1B, 0x40}, Op::Initialize, "ESC @"},
      {{0x1C, 0x71, 0x00}, Op::DefineNv, "FS q 0"},
      {{0x1C, 0x70, 0x03, 0x32}, Op::PrintNv, "FS p 3 50"},
      {{0x1C, 0x65}, Op::EraseNv, "FS e"},
      {{0x1D, 0x56, 0x42, 0x01}, Op::Cut, "GS V 66 1"},
      {{0x1D, 0x56, 0x41, 0x05}, Op::Cut, "GS V 65 5"},
      {{0x1D, 0x56, 0x00}, Op::Cut, "GS V 0"},
      {{0x1D, 0x56, 0x31}, Op::Cut, "GS V 49"},
      {{0x1B, 0x6D}, Op::Cut, "ESC m"},
      {{0x1D, 0x49, 0x01}, Op::RequestId, "GS I 1"},
      {{0x10, 0x04, 0x01}, Op::RealTimeStatus, "DLE EOT 1"},
      {{0x10, 0x04, 0x04}, Op::RealTimeStatus, "DLE EOT 4"},
      {{0x1B, 0x6F, 0x01}, Op::DotMode, "ESC o 1"},
      {{0x0D}, Op::CarriageReturn, "CR"},
      {{0x0A}, Op::LineFeed, "LF"},
      {{0x1B, 0x2A, 0x00, 0x02, 0x00, 0xAA, 0x55}, Op::BitImage, "ESC * 0 2: 2 bytes"},
      {{0x1B, 0x2A, 0x21, 0x01, 0x00, 0x01, 0x02, 0x03}, Op::BitImage, "ESC * 33 1: 3 bytes"},
      {Bytes{0x1B, 0x58, 0x2A, 0x07, 0x1B, 0x2A, 0x01, 0x00, 0x01} + Repeat(0x11, 256),
       Op::DotBand, "ESC X * 7, ESC * 1 256: 256 bytes"},
  };
  for (const Case& c : cases) {
    const std::vector<Command> commands = DecodeAll(c.bytes);
    ASSERT_EQ(commands.size(), 1u) << c.text;
    EXPECT_EQ(std::tie(commands[0].op, commands[0].length), std::make_tuple(c.op, c.bytes.size()));
    EXPECT_EQ(Describe(commands[0]), c.text);
  }
}

// Bytes that start no command are skipped one at a time and gathered into
// one record (a long one shows its first bytes only); the commands around
// them decode as if they were not there.
TEST(PrinterDecoder, GarbageBetweenCommandsIsRecordedAndSkipped) {
  const Bytes garbage{0x00, 0xFF, 0x41, 0x1B, 0x00, 0x1C, 0x99, 0x1D,
                      0x00, 0x10, 0x04, 0x05, 0x1D, 0x56, 0x07};
  const Bytes stream = Bytes{0x1B, 0x40} + garbage + Bytes{0x1C, 0x65, 0x1D, 0x49, 0x01} +
                       Bytes{0x1B, 0x58, 0x2A, 0x05, 0x41, 0x1C, 0x70, 0x01, 0x30};
  EXPECT_EQ(Lines(DecodeAll(stream)),
            (Strings{"       0  ESC @",
                     "       2  unknown 15 bytes: 00 FF 41 1B 00 1C 99 1D 00 10 04 05 1D 56 07",
                     "      17  FS e", "      19  GS I 1", "      22  ESC X * 5",
                     "      26  unknown 1 byte: 41", "      27  FS p 1 48"}));
  EXPECT_EQ(Describe(DecodeAll(Repeat(0x55, 40)).at(0)),
            "unknown 40 bytes: 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 ...");
}

// The end of the connection inside a command: it is reported incomplete
// with what was missing, whatever part of it was cut off; the next
// connection starts afresh at offset 0.
TEST(PrinterDecoder, CommandsCutOffByTheEndAreIncomplete) {
  const Bytes twoImages = Bytes{0x1C, 0x71, 0x02} + kSmallBlock;
  const std::pair<Bytes, const char*> cases[] = {
      {twoImages + Bytes{0x01, 0x00, 0x02, 0x00, 1, 2, 3, 4, 5},
       "FS q 2: 8x8 INCOMPLETE (image 2 of 2 (8x16) cut off after 5 of 16 bytes)"},
      {twoImages + Bytes{0x01, 0x00},
       "FS q 2: 8x8 INCOMPLETE (image 2 of 2: header cut off after 01 00)"},
      {twoImages, "FS q 2: 8x8 INCOMPLETE (image 2 of 2 not sent)"},
      {{0x1C, 0x70, 0x01}, "FS p INCOMPLETE (cut off after 1C 70 01)"},
      {{0x1B}, "ESC INCOMPLETE (cut off after 1B)"},
      {{0x10, 0x04}, "DLE EOT INCOMPLETE (cut off after 10 04)"},
      {{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x30, 0x01, 0xFF},
       "ESC X * 0, ESC * 1 304: 1 byte INCOMPLETE (received 1 of 304 data bytes)"},
      {{0x1B, 0x58, 0x2A, 0x00, 0x1B}, "ESC X * INCOMPLETE (cut off after 1B 58 2A 00 1B)"},
  };
  for (const auto& [bytes, text] : cases) {
    const std::vector<Command> commands = DecodeAll(bytes);
    ASSERT_EQ(commands.size(), 1u) << text;
    EXPECT_FALSE(commands[0].complete);
    EXPECT_EQ(commands[0].length, bytes.size());
    EXPECT_EQ(Describe(commands[0]), text);
  }
  Decoder decoder;
  std::vector<Command> out;
  decoder.Feed(twoImages.data(), 2, out);
  decoder.Finish(out);
  decoder.Feed(twoImages.data(), 1, out);
  decoder.Finish(out);
  EXPECT_EQ(Lines(out), (Strings{"       0  FS q INCOMPLETE (cut off after 1C 71)",
                                 "       0  FS INCOMPLETE (cut off after 1C)"}));
}

// Sets that cannot be kept (an empty image, more than the NV memory) are
// consumed to their declared end (so the stream stays in step) but marked
// rejected and hold no image data.
TEST(PrinterDecoder, EmptyOrHugeImagesRejectTheSet) {
  const Bytes empty = Bytes{0x1C, 0x71, 0x02} + kSmallBlock + Bytes{0x00, 0x00, 0x05, 0x00};
  std::vector<Command> commands = DecodeAll(empty + Bytes{0x1C, 0x65});
  EXPECT_EQ(Lines(commands),
            (Strings{"       0  FS q 2 REJECTED (image 2 is empty (0x40))", "      19  FS e"}));
  EXPECT_TRUE(commands[0].images.empty());

  // 65535 x 65535 units would be 34 GB; the decoder keeps nothing of it.
  const Bytes huge = Bytes{0x1C, 0x71, 0x01, 0xFF, 0xFF, 0xFF, 0xFF} + Repeat(0xAA, 5000);
  commands = DecodeAll(huge);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(std::tie(commands[0].complete, commands[0].length), std::tuple(false, huge.size()));
  EXPECT_EQ(commands[0].rejected, "image data above 1048576 bytes");
  EXPECT_TRUE(commands[0].images.empty());

  // A memory of 16 bytes takes two 8 x 8 images, not three.
  const Bytes three = Bytes{0x1C, 0x71, 0x03} + kSmallBlock + kSmallBlock + kSmallBlock;
  Decoder small(16);
  commands.clear();
  small.Feed(three.data(), three.size(), commands);
  EXPECT_EQ(Lines(commands), Strings{"       0  FS q 3 REJECTED (image data above 16 bytes)"});
}

// Streams of commands and garbage drawn at random, random bytes and
// mutations of the examples: fed in random pieces they give the same
// commands as fed whole, the commands cover every byte exactly once, in
// order, and the printer model takes them without harm (this also runs
// under ASan and UBSan). A hang would blow the time budget.
TEST(PrinterDecoder, ArbitraryStreamsProperty) {
  std::mt19937 rng(20261206);
  const Bytes parts[] = {
      {0x1B, 0x40}, {0x1C, 0x65}, {0x1D, 0x49, 0x01}, {0x1C, 0x70, 0x02, 0x31}, {0x0D, 0x0A},
      {0x1D, 0x56, 0x42, 0x00}, {0x1B, 0x6F, 0x00}, {0x1B, 0x6D}, {0x00, 0x1B}, {0x1C}, {0x7F},
      {0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x03, 0x00, 1, 2, 3},
      Bytes{0x1C, 0x71, 0x01} + StairBlock(), {0x10, 0x04, 0x02}, {0x10, 0x04}, {0x10},
      {0x1D, 0x49, 0x03}, {0x04, 0x01},
  };
  const Bytes seeds[] = {ThermalExample(), DotExample(),
                         Bytes{0x1C, 0x71, 0x02} + kSmallBlock + StairBlock() +
                             Bytes{0x1C, 0x70, 0x02, 0x33, 0x1D, 0x56, 0x42, 0x01}};
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < 3000; ++round) {
    Bytes stream = round % 3 == 1 ? RandomStream(rng, 512) : Mutate(seeds[rng() % 3], rng);
    if (round % 3 == 0) {
      stream.clear();
      for (int i = static_cast<int>(rng() % 41); i > 0; --i) stream = stream + parts[rng() % 18];
      if (!stream.empty() && rng() % 3 == 0) stream.resize(rng() % stream.size());
    }
    const std::vector<Command> whole = DecodeAll(stream);
    Decoder decoder;
    std::vector<Command> pieces;
    for (std::size_t at = 0, size = 0; at < stream.size(); at += size) {
      size = std::min<std::size_t>(stream.size() - at, 1 + rng() % 7);
      // Sometimes a piece is taken only up to a command's end.
      if (rng() % 2) size = decoder.FeedUntilCommand(stream.data() + at, size, pieces);
      else decoder.Feed(stream.data() + at, size, pieces);
    }
    decoder.Finish(pieces);
    ASSERT_EQ(Lines(pieces), Lines(whole));

    Printer printer;
    std::uint64_t next = 0;
    for (const Command& c : whole) {
      ASSERT_EQ(c.offset, next);
      ASSERT_GT(c.length, 0u);
      next += c.length;
      printer.Apply(c);
    }
    ASSERT_EQ(next, stream.size());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace brindle::printer
