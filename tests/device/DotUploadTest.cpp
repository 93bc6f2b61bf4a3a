// The "Dot" logo upload: the band packets of each port variant, width and
// band numbering, the serial variant's palette correction, refusals and
// failed writes.
#include <gtest/gtest.h>

#include "BmpFiles.h"
#include "Recorder.h"
#include "device/DotUpload.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

struct DotRun {
  Log log;
  LogPort port{log};
  LogClock clock{log};
  int Send(PortKind kind, const std::string& list) { return SendDotLogo(port, kind, list, clock); }
};

// The whole log of a Dot upload: first write, wait, one packet per band.
Log DotLog(PortKind kind, const std::vector<Bytes>& packets) {
  Log log;
  if (kind == PortKind::Tcp) {
    log = {W({0x1B, 0x6F, 0x00, 0x1B, 0x40}), Wait(50)};
  } else {
    log = {W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(kind == PortKind::Com ? 100 : 50)};
  }
  for (const Bytes& p : packets) {
    log.push_back(kind == PortKind::Lpt || kind == PortKind::Usb ? WT(p) : W(p));
  }
  return log;
}

Bytes Packet(Bytes prefix, const Bytes& data) {
  prefix.insert(prefix.end(), data.begin(), data.end());
  return prefix;
}

std::string KindName(const ::testing::TestParamInfo<PortKind>& info) {
  static const char* const names[] = {"Com", "Lpt", "Usb", "Tcp"};
  return names[static_cast<int>(info.param)];
}

class DotVariants : public ::testing::TestWithParam<PortKind> {};

// 300 x 20 dots: W 304, H 24, three packets of 313 bytes.
TEST_P(DotVariants, SendsTheWorkedExample) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(300, 20, false, Stripes));
  DotRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|"), 1);

  std::vector<Bytes> packets;
  for (int b = 0; b < 3; ++b) {
    const Bytes prefix = {0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(b), 0x1B, 0x2A, 0x01, 0x30, 0x01};
    packets.push_back(Packet(prefix, BandBytes(300, 20, Stripes, b)));
    ASSERT_EQ(packets.back().size(), 313u);
  }
  // Column 0 is black in every band (band 2 holds rows 16 to 19 only);
  // column 1 has the top row's dot in band 0 alone; columns 300 to 303 are
  // padding although 300 % 3 == 0.
  EXPECT_EQ(packets[0][9], 0xFF);
  EXPECT_EQ(packets[0][10], 0x80);
  EXPECT_EQ(packets[1][10], 0x00);
  EXPECT_EQ(packets[2][9], 0xF0);
  EXPECT_EQ(packets[2][9 + 300], 0x00);
  EXPECT_TRUE(SameLog(run.log, DotLog(GetParam(), packets)));
}

// Only the first listed file is read and sent.
TEST_P(DotVariants, SendsOnlyTheFirstLogo) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  DotRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("missing.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(run.log, DotLog(GetParam(), {Packet({0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x08, 0x00},
                                                          BandBytes(8, 8, Stripes, 0))})));
}

// A failed write ends the stream: the first write alone, or exactly one
// band packet before the failed second one.
TEST_P(DotVariants, StopsAtTheFailedWrite) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 24, false, Stripes));
  const std::string list = dir.File("a.bmp") + "|";
  std::vector<Bytes> packets;
  for (int b = 0; b < 3; ++b) {
    packets.push_back(Packet({0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(b), 0x1B, 0x2A, 0x01, 0x10, 0x00},
                             BandBytes(16, 24, Stripes, b)));
  }
  const Log whole = DotLog(GetParam(), packets);

  DotRun first;
  first.port.failingWrites = {0};
  EXPECT_EQ(first.Send(GetParam(), list), 0);
  EXPECT_TRUE(SameLog(first.log, Log(whole.begin(), whole.begin() + 1)));

  DotRun second;
  second.port.failingWrites = {2};
  EXPECT_EQ(second.Send(GetParam(), list), 0);
  EXPECT_TRUE(SameLog(second.log, Log(whole.begin(), whole.begin() + 4)));
}

INSTANTIATE_TEST_SUITE_P(AllPorts, DotVariants,
                         ::testing::Values(PortKind::Com, PortKind::Lpt, PortKind::Usb,
                                           PortKind::Tcp),
                         KindName);

// nL nH state the padded width: 256 → 00 01, 248 → F8 00, 250 (padded to
// 256) → 00 01; from 512 columns on nH is the width's high byte.
TEST(DotUpload, StatesTheBandWidth) {
  struct Case {
    int width;
    std::uint8_t nL, nH;
  } cases[] = {{256, 0x00, 0x01}, {248, 0xF8, 0x00}, {250, 0x00, 0x01}, {8, 0x08, 0x00},
               {511, 0x00, 0x02}, {600, 0x58, 0x02}, {1000, 0xE8, 0x03}};
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    dir.Write("w.bmp", Bmp1(c.width, 8, false, Stripes));
    DotRun run;
    ASSERT_EQ(run.Send(PortKind::Lpt, dir.File("w.bmp") + "|"), 1);
    const Bytes prefix = {0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, c.nL, c.nH};
    EXPECT_TRUE(SameLog(run.log, DotLog(PortKind::Lpt, {Packet(prefix, BandBytes(c.width, 8, Stripes, 0))})));
  }
}

// 17 dots high is padded to 24: bands 00, 01, 02; 2,048 high gives 256
// bands numbered 00 to FF.
TEST(DotUpload, NumbersTheBands) {
  TempDir dir;
  auto diagonal = [](int x, int y) { return x == y % 8; };
  dir.Write("a.bmp", Bmp1(8, 17, false, diagonal));
  DotRun run;
  ASSERT_EQ(run.Send(PortKind::Com, dir.File("a.bmp") + "|"), 1);
  std::vector<Bytes> packets;
  for (int b = 0; b < 3; ++b) {
    packets.push_back(Packet({0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(b), 0x1B, 0x2A, 0x01, 0x08, 0x00},
                             BandBytes(8, 17, diagonal, b)));
  }
  EXPECT_EQ(packets[2][9], 0x80);  // row 16 alone in the last band
  EXPECT_TRUE(SameLog(run.log, DotLog(PortKind::Com, packets)));

  dir.Write("tall.bmp", Bmp1(8, 2048, false, diagonal));
  DotRun tall;
  ASSERT_EQ(tall.Send(PortKind::Tcp, dir.File("tall.bmp") + "|"), 1);
  ASSERT_EQ(tall.log.size(), 2u + 256u);
  EXPECT_EQ(tall.log.back().bytes[3], 0xFF);
}

// Over COM a file whose first colour entry is white goes out with every
// data byte complemented (padding included); the other ports send the
// band packing as it is, and a black first entry is never complemented.
TEST(DotUpload, CorrectsAWhitePaletteOnlyOverCom) {
  TempDir dir;
  dir.Write("white0.bmp", Bmp1(12, 8, true, Stripes));
  dir.Write("black0.bmp", Bmp1(12, 8, false, Stripes));
  const Bytes prefix = {0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x10, 0x00};
  const Bytes proper = BandBytes(12, 8, Stripes, 0);
  Bytes complemented;
  for (std::uint8_t b : proper) complemented.push_back(static_cast<std::uint8_t>(~b));
  // Padding columns 12 to 15 carry no dots; over COM they come out set.
  ASSERT_EQ(proper[12], 0x00);

  for (PortKind kind : {PortKind::Com, PortKind::Lpt, PortKind::Usb, PortKind::Tcp}) {
    SCOPED_TRACE(static_cast<int>(kind));
    DotRun white;
    ASSERT_EQ(white.Send(kind, dir.File("white0.bmp") + "|"), 1);
    // The band packing takes index 0 as black: a white entry 0 comes out
    // inverted, with blank padding; the serial variant complements it all.
    Bytes packed;
    for (std::size_t x = 0; x < proper.size(); ++x) {
      packed.push_back(x < 12 ? static_cast<std::uint8_t>(~proper[x]) : 0x00);
    }
    Bytes expected = packed;
    if (kind == PortKind::Com) {
      for (std::uint8_t& b : expected) b = static_cast<std::uint8_t>(~b);
    }
    EXPECT_TRUE(SameLog(white.log, DotLog(kind, {Packet(prefix, expected)})));

    DotRun black;
    ASSERT_EQ(black.Send(kind, dir.File("black0.bmp") + "|"), 1);
    EXPECT_TRUE(SameLog(black.log, DotLog(kind, {Packet(prefix, proper)})));
  }
}

// Refused before anything is sent: no "|", a file that does not load, a
// picture whose band numbers would repeat, a picture beyond the raster.
TEST(DotUpload, RefusesUnsendablePicturesBeforeSending) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  dir.Write("tall.bmp", Bmp1(8, 2049, false, Stripes));
  dir.Write("huge.bmp", Bmp1(2048, 776, false, Stripes));
  dir.Write("junk.bmp", "BM\x01\x02");
  const std::vector<std::string> lists = {
      "", dir.File("a.bmp"), "|" + dir.File("a.bmp") + "|", dir.File("missing.bmp") + "|",
      dir.File("junk.bmp") + "|", dir.File("tall.bmp") + "|", dir.File("huge.bmp") + "|"};
  for (const std::string& list : lists) {
    for (PortKind kind : {PortKind::Com, PortKind::Lpt, PortKind::Usb, PortKind::Tcp}) {
      SCOPED_TRACE(list);
      DotRun run;
      EXPECT_EQ(run.Send(kind, list), 0);
      EXPECT_TRUE(run.log.empty());
    }
  }
}

// The band packet (W + 9 bytes) must fit the variant's buffer: 131,072
// bytes over COM, 147,456 otherwise; at most 2,048 dots high.
TEST(DotUpload, FitsPacketBuffersAndBandNumbers) {
  struct Case {
    PortKind kind;
    int width, height;
    bool fits;
  } cases[] = {
      {PortKind::Com, 131056, 8, true},  {PortKind::Com, 131064, 8, false},
      {PortKind::Lpt, 147440, 8, true},  {PortKind::Lpt, 147448, 8, false},
      {PortKind::Usb, 147440, 8, true},  {PortKind::Tcp, 147448, 8, false},
      {PortKind::Tcp, 8, 2048, true},    {PortKind::Com, 8, 2056, false},
      {PortKind::Lpt, 0, 8, false},      {PortKind::Lpt, 8, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DotLogoFits(c.kind, c.width, c.height), c.fits)
        << static_cast<int>(c.kind) << " " << c.width << " x " << c.height;
  }
}

}  // namespace
}  // namespace brindle
