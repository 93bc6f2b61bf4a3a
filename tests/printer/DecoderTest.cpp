// The decoder on hand-written streams: the worked examples, every command
// form, garbage, streams cut off, and its accounting of every byte.
#include <gtest/gtest.h>

#include <random>

#include "printer/TestStreams.h"
#include "tools/printer/Decoder.h"

namespace brindle::printer {
namespace {

using test::Bytes;
using test::operator+;
using test::DecodeAll;
using test::Lines;

TEST(PrinterDecoder, ThermalExampleDefinesOneImageInColumnOrder) {
  const std::vector<Command> commands = DecodeAll(test::ThermalExample());
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].op, Op::Initialize);
  EXPECT_EQ(commands[0].length, 2u);
  const Command& define = commands[1];
  EXPECT_EQ(define.op, Op::DefineNv);
  EXPECT_TRUE(define.complete);
  EXPECT_EQ(define.offset, 2u);
  EXPECT_EQ(define.length, 3u + 4u + 2600u);
  ASSERT_EQ(define.images.size(), 1u);
  const NvImage& image = define.images[0];
  EXPECT_EQ(image.Width(), 200);
  EXPECT_EQ(image.Height(), 104);

  const Raster r = image.ToRaster();
  int dots = 0;
  for (std::uint8_t d : r.dots) dots += d;
  EXPECT_EQ(dots, 4);
  EXPECT_TRUE(r.At(0, 0));
  EXPECT_TRUE(r.At(0, 103));
  EXPECT_TRUE(r.At(1, 1));
  EXPECT_TRUE(r.At(199, 103));
}

TEST(PrinterDecoder, TwoImagesKeepTheirOrderAndSizes) {
  const Bytes stream = Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock() + test::StairBlock();
  const std::vector<Command> commands = DecodeAll(stream);
  ASSERT_EQ(commands.size(), 1u);
  ASSERT_EQ(commands[0].images.size(), 2u);
  EXPECT_EQ(test::Draw(commands[0].images[0].ToRaster()), test::Draw(test::SmallImage()));
  EXPECT_EQ(test::Draw(commands[0].images[1].ToRaster()), test::Draw(test::Stair()));
  EXPECT_EQ(LogLine(commands[0], ""), "       0  FS q 2: 8x8, 16x8");
}

TEST(PrinterDecoder, DotExampleGivesThreeBandsOf304Columns) {
  const std::vector<Command> commands = DecodeAll(test::DotExample());
  ASSERT_EQ(commands.size(), 5u);
  EXPECT_EQ(commands[0].op, Op::Initialize);
  EXPECT_EQ(commands[1].op, Op::DotMode);
  EXPECT_EQ(commands[1].params, std::vector<int>{0});
  const std::uint8_t fill[] = {0x80, 0xFF, 0x01};
  for (int j = 0; j < 3; ++j) {
    const Command& band = commands[2 + static_cast<std::size_t>(j)];
    EXPECT_EQ(band.op, Op::DotBand);
    EXPECT_EQ(band.offset, 5u + 313u * static_cast<unsigned>(j));
    EXPECT_EQ(band.length, 313u);
    EXPECT_EQ(band.params, (std::vector<int>{j, 1, 304}));
    EXPECT_EQ(band.data, test::Repeat(fill[j], 304));
  }
  EXPECT_EQ(LogLine(commands[3], ""), "     318  ESC X * 1, ESC * 1 304: 304 bytes");
}

// Every command form with its exact bytes, length and log text.
TEST(PrinterDecoder, DecodesEachCommandForm) {
  struct Case {
    Bytes bytes;
    Op op;
    const char* text;
  };
  const Case cases[] = {
      {{0x1B, 0x40}, Op::Initialize, "ESC @"},
      {{0x1C, 0x70, 0x03, 0x32}, Op::PrintNv, "FS p 3 50"},
      {{0x1C, 0x65}, Op::EraseNv, "FS e"},
      {{0x1D, 0x56, 0x42, 0x01}, Op::Cut, "GS V 66 1"},
      {{0x1D, 0x56, 0x41, 0x05}, Op::Cut, "GS V 65 5"},
      {{0x1D, 0x56, 0x00}, Op::Cut, "GS V 0"},
      {{0x1D, 0x56, 0x31}, Op::Cut, "GS V 49"},
      {{0x1B, 0x6D}, Op::Cut, "ESC m"},
      {{0x1D, 0x49, 0x01}, Op::RequestId, "GS I 1"},
      {{0x1B, 0x6F, 0x01}, Op::DotMode, "ESC o 1"},
      {{0x0D}, Op::CarriageReturn, "CR"},
      {{0x0A}, Op::LineFeed, "LF"},
      {{0x1B, 0x2A, 0x00, 0x02, 0x00, 0xAA, 0x55}, Op::BitImage, "ESC * 0 2: 2 bytes"},
      {{0x1B, 0x2A, 0x21, 0x01, 0x00, 0x01, 0x02, 0x03}, Op::BitImage, "ESC * 33 1: 3 bytes"},
      {{0x1B, 0x58, 0x2A, 0x07, 0x1B, 0x2A, 0x01, 0x00, 0x01},
       Op::DotBand, "ESC X * 7, ESC * 1 256: 256 bytes"},
  };
  for (const Case& c : cases) {
    Bytes bytes = c.bytes;
    if (c.op == Op::DotBand) bytes = bytes + test::Repeat(0x11, 256);
    const std::vector<Command> commands = DecodeAll(bytes);
    ASSERT_EQ(commands.size(), 1u) << c.text;
    EXPECT_EQ(commands[0].op, c.op) << c.text;
    EXPECT_EQ(commands[0].length, bytes.size()) << c.text;
    EXPECT_TRUE(commands[0].complete) << c.text;
    EXPECT_EQ(Describe(commands[0]), c.text);
  }
}

// Bytes that start no command are skipped one at a time and gathered into
// one record; the commands around them decode as if they were not there.
TEST(PrinterDecoder, GarbageBetweenCommandsIsRecordedAndSkipped) {
  const Bytes garbage{0x00, 0xFF, 0x41, 0x1B, 0x00, 0x1C, 0x99, 0x1D, 0x00, 0x13, 0x1D, 0x56, 0x07};
  const Bytes stream = Bytes{0x1B, 0x40} + garbage + Bytes{0x1C, 0x65, 0x1D, 0x49, 0x01} +
                       Bytes{0x1B, 0x58, 0x2A, 0x05, 0x41} + Bytes{0x1C, 0x70, 0x01, 0x30};
  EXPECT_EQ(Lines(DecodeAll(stream)),
            (std::vector<std::string>{
                "       0  ESC @",
                "       2  unknown 13 bytes: 00 FF 41 1B 00 1C 99 1D 00 13 1D 56 07",
                "      15  FS e",
                "      17  GS I 1",
                "      20  ESC X * 5",
                "      24  unknown 1 byte: 41",
                "      25  FS p 1 48",
            }));
}

TEST(PrinterDecoder, LongGarbageShowsItsFirstBytesOnly) {
  const std::vector<Command> commands = DecodeAll(test::Repeat(0x55, 40));
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(Describe(commands[0]),
            "unknown 40 bytes: 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 ...");
}

// The end of the connection inside a command: it is reported incomplete
// with what was missing, whatever part of it was cut off.
TEST(PrinterDecoder, CommandsCutOffByTheEndAreIncomplete) {
  struct Case {
    Bytes bytes;
    const char* text;
  };
  const Bytes twoImages = Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock();
  const Case cases[] = {
      {twoImages + Bytes{0x01, 0x00, 0x02, 0x00, 1, 2, 3, 4, 5},
       "FS q 2: 8x8 INCOMPLETE (image 2 of 2 (8x16) cut off after 5 of 16 bytes)"},
      {twoImages + Bytes{0x01, 0x00}, "FS q 2: 8x8 INCOMPLETE (image 2 of 2: header cut off after 01 00)"},
      {twoImages, "FS q 2: 8x8 INCOMPLETE (image 2 of 2 not sent)"},
      {{0x1C, 0x70, 0x01}, "FS p INCOMPLETE (cut off after 1C 70 01)"},
      {{0x1B}, "ESC INCOMPLETE (cut off after 1B)"},
      {{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x30, 0x01, 0xFF},
       "ESC X * 0, ESC * 1 304: 1 byte INCOMPLETE (received 1 of 304 data bytes)"},
      {{0x1B, 0x58, 0x2A, 0x00, 0x1B}, "ESC X * INCOMPLETE (cut off after 1B 58 2A 00 1B)"},
  };
  for (const Case& c : cases) {
    const std::vector<Command> commands = DecodeAll(c.bytes);
    ASSERT_EQ(commands.size(), 1u) << c.text;
    EXPECT_FALSE(commands[0].complete);
    EXPECT_EQ(commands[0].length, c.bytes.size()) << c.text;
    EXPECT_EQ(Describe(commands[0]), c.text);
  }
}

TEST(PrinterDecoder, FinishStartsTheNextConnectionAfresh) {
  Decoder decoder;
  std::vector<Command> out;
  const Bytes first{0x1C, 0x70};
  decoder.Feed(first.data(), first.size(), out);
  decoder.Finish(out);
  const Bytes second{0x1C, 0x65};
  decoder.Feed(second.data(), second.size(), out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_FALSE(out[0].complete);
  EXPECT_EQ(out[1].op, Op::EraseNv);
  EXPECT_EQ(out[1].offset, 0u);
}

// Sets that cannot be kept are consumed to their declared end (so the
// stream stays in step) but marked rejected and hold no image data.
TEST(PrinterDecoder, EmptyOrHugeImagesRejectTheSet) {
  const Bytes empty = Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock() +
                      Bytes{0x00, 0x00, 0x05, 0x00} + Bytes{0x1C, 0x65};
  std::vector<Command> commands = DecodeAll(empty);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(Describe(commands[0]), "FS q 2 REJECTED (image 2 is empty (0x40))");
  EXPECT_TRUE(commands[0].images.empty());
  EXPECT_EQ(commands[1].op, Op::EraseNv);

  // 65535 x 65535 units would be 34 GB; the decoder keeps nothing of it.
  const Bytes huge = Bytes{0x1C, 0x71, 0x01, 0xFF, 0xFF, 0xFF, 0xFF} + test::Repeat(0xAA, 5000);
  commands = DecodeAll(huge);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_FALSE(commands[0].complete);
  EXPECT_NE(commands[0].rejected.find("image data above"), std::string::npos);
  EXPECT_TRUE(commands[0].images.empty());
  EXPECT_EQ(commands[0].length, huge.size());
}

TEST(PrinterDecoder, DefineWithNoImagesIsComplete) {
  const std::vector<Command> commands = DecodeAll({0x1C, 0x71, 0x00, 0x1C, 0x65});
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].op, Op::DefineNv);
  EXPECT_TRUE(commands[0].complete);
  EXPECT_EQ(commands[0].length, 3u);
}

// A stream of commands and garbage drawn at random: feeding it in random
// pieces gives the same commands as feeding it whole, and the commands
// cover every byte exactly once, in order.
TEST(PrinterDecoder, PiecesAndAccountingProperty) {
  std::mt19937 rng(20261206);
  const Bytes parts[] = {
      {0x1B, 0x40}, {0x1C, 0x65}, {0x1D, 0x49, 0x01}, {0x1C, 0x70, 0x02, 0x31}, {0x0D, 0x0A},
      {0x1D, 0x56, 0x42, 0x00}, {0x1B, 0x6F, 0x00}, {0x1B, 0x6D}, {0x00, 0x1B}, {0x1C}, {0x7F},
      Bytes{0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x03, 0x00, 1, 2, 3},
      Bytes{0x1C, 0x71, 0x01} + test::StairBlock(),
  };
  for (int round = 0; round < 300; ++round) {
    Bytes stream;
    const int count = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int i = 0; i < count; ++i) {
      stream = stream + parts[std::uniform_int_distribution<std::size_t>(0, std::size(parts) - 1)(rng)];
    }
    if (!stream.empty() && rng() % 3 == 0) stream.resize(rng() % stream.size());

    const std::vector<Command> whole = DecodeAll(stream);
    Decoder decoder;
    std::vector<Command> pieces;
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t size = std::min<std::size_t>(stream.size() - at, 1 + rng() % 7);
      decoder.Feed(stream.data() + at, size, pieces);
      at += size;
    }
    decoder.Finish(pieces);
    ASSERT_EQ(Lines(pieces), Lines(whole));

    std::uint64_t next = 0;
    for (const Command& c : whole) {
      ASSERT_EQ(c.offset, next);
      ASSERT_GT(c.length, 0u);
      next += c.length;
    }
    ASSERT_EQ(next, stream.size());
  }
}

}  // namespace
}  // namespace brindle::printer
