// The "Dot" logo upload: the band packets of each port variant, width and
// band numbering, the dots of either palette, refusals and failed writes.
#include <gtest/gtest.h>

#include "StreamLogs.h"
#include "device/DotUpload.h"
#include "support/RecordingPort.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

constexpr PortKind kAllKinds[] = {PortKind::Com, PortKind::Lpt, PortKind::Usb, PortKind::Tcp};

struct DotRun {
  Log log;
  LogPort port{log};
  LogClock clock{log};
  int Send(PortKind kind, const std::string& list) {
    return SendDotLogo(port, kind, list, 0, 5, clock);
  }
};

class DotVariants : public ::testing::TestWithParam<PortKind> {};

// 300 x 20 dots: W 304, H 24, three packets of 313 bytes. Only the first
// listed file is read.
TEST_P(DotVariants, SendsTheWorkedExample) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(300, 20, false, Stripes));
  DotRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("missing.bmp") + "|"), 1);
  const auto packets = Packets(0x30, 0x01, Bands(300, 20, Stripes));
  ASSERT_EQ(packets.size(), 3u);
  // Column 0 is black in every band (band 2 holds rows 16 to 19 only);
  // column 1 has the top row's dot in band 0 alone; columns 300 to 303 are
  // padding although 300 % 3 == 0.
  for (const Bytes& p : packets) EXPECT_EQ(p.size(), 313u);
  EXPECT_EQ(Bytes({packets[0][9], packets[0][10], packets[1][10], packets[2][9], packets[2][309]}),
            Bytes({0xFF, 0x80, 0x00, 0xF0, 0x00}));
  EXPECT_TRUE(SameLog(run.log, DotLog(GetParam(), packets)));
}

// A failed write ends the stream: the first write alone, or exactly one
// band packet before the failed second one.
TEST_P(DotVariants, StopsAtTheFailedWrite) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 24, false, Stripes));
  const Log whole = DotLog(GetParam(), Packets(0x10, 0x00, Bands(16, 24, Stripes)));
  for (auto [failAt, events] : {std::pair<std::size_t, std::size_t>{0, 1}, {2, 4}}) {
    DotRun run;
    run.port.failingWrites = {failAt};
    EXPECT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|"), 0);
    EXPECT_TRUE(SameLog(run.log, Log(whole.begin(), whole.begin() + events)));
  }
}

// The dots are the picture's black pixels whatever its colour table: a
// file whose first entry is white sends the same bands as one whose first
// entry is black, with the padding blank, on every port.
TEST_P(DotVariants, SendsTheBlackPixelsWhateverThePalette) {
  TempDir dir;
  dir.Write("white0.bmp", Bmp1(10, 8, true, Stripes));
  dir.Write("black0.bmp", Bmp1(10, 8, false, Stripes));
  const Bytes band = BandBytes(10, 8, Stripes, 0);
  ASSERT_EQ(band, (Bytes{0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80, 0xFF, 0, 0, 0, 0,
                         0, 0}));
  for (const char* file : {"white0.bmp", "black0.bmp"}) {
    DotRun run;
    ASSERT_EQ(run.Send(GetParam(), dir.File(file) + "|"), 1);
    EXPECT_TRUE(SameLog(run.log, DotLog(GetParam(), Packets(0x10, 0x00, {band})))) << file;
  }
}

// Refused before anything is sent: no "|", a file that does not load, a
// picture whose band numbers would repeat, a picture beyond the raster.
TEST_P(DotVariants, RefusesUnsendablePicturesBeforeSending) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  dir.Write("tall.bmp", Bmp1(8, 2049, false, Stripes));
  dir.Write("huge.bmp", Bmp1(2048, 776, false, Stripes));
  dir.Write("junk.bmp", "BM\x01\x02");
  for (const std::string& list :
       {std::string(), dir.File("a.bmp"), "|" + dir.File("a.bmp") + "|",
        dir.File("missing.bmp") + "|", dir.File("junk.bmp") + "|", dir.File("tall.bmp") + "|",
        dir.File("huge.bmp") + "|"}) {
    DotRun run;
    EXPECT_EQ(run.Send(GetParam(), list), 0) << list;
    EXPECT_TRUE(run.log.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(AllPorts, DotVariants, ::testing::ValuesIn(kAllKinds));

// nL nH state the padded width: 256 → 00 01, 248 → F8 00, 250 (padded to
// 256) → 00 01; from 512 columns on nH is the width's high byte.
TEST(DotUpload, StatesTheBandWidth) {
  const std::tuple<int, std::uint8_t, std::uint8_t> cases[] = {
      {256, 0x00, 0x01}, {248, 0xF8, 0x00}, {250, 0x00, 0x01}, {8, 0x08, 0x00},
      {511, 0x00, 0x02}, {600, 0x58, 0x02}, {1000, 0xE8, 0x03}};
  TempDir dir;
  for (auto [width, nL, nH] : cases) {
    dir.Write("w.bmp", Bmp1(width, 8, false, Stripes));
    DotRun run;
    ASSERT_EQ(run.Send(PortKind::Lpt, dir.File("w.bmp") + "|"), 1);
    const auto packets = Packets(nL, nH, Bands(width, 8, Stripes));
    EXPECT_TRUE(SameLog(run.log, DotLog(PortKind::Lpt, packets))) << width;
  }
}

// 17 dots high is padded to 24: bands 00, 01, 02; 2,048 high gives 256
// bands numbered 00 to FF.
TEST(DotUpload, NumbersTheBands) {
  TempDir dir;
  auto diagonal = [](int x, int y) { return x == y % 8; };
  dir.Write("a.bmp", Bmp1(8, 17, false, diagonal));
  dir.Write("tall.bmp", Bmp1(8, 2048, false, diagonal));
  DotRun run, tall;
  ASSERT_EQ(run.Send(PortKind::Com, dir.File("a.bmp") + "|"), 1);
  const auto packets = Packets(0x08, 0x00, Bands(8, 17, diagonal));
  EXPECT_EQ(packets.back()[3], 0x02);
  EXPECT_EQ(packets.back()[9], 0x80);  // row 16 alone in the last band
  EXPECT_TRUE(SameLog(run.log, DotLog(PortKind::Com, packets)));
  ASSERT_EQ(tall.Send(PortKind::Tcp, dir.File("tall.bmp") + "|"), 1);
  ASSERT_EQ(tall.log.size(), 2u + 256u);
  EXPECT_EQ(tall.log.back().bytes[3], 0xFF);
}

// The band packet (W + 9 bytes) must fit the variant's buffer: 131,072
// bytes over COM, 147,456 otherwise; at most 2,048 dots high.
TEST(DotUpload, FitsPacketBuffersAndBandNumbers) {
  const std::tuple<PortKind, int, int, bool> cases[] = {
      {PortKind::Com, 131056, 8, true}, {PortKind::Com, 131064, 8, false},
      {PortKind::Lpt, 147440, 8, true}, {PortKind::Lpt, 147448, 8, false},
      {PortKind::Usb, 147440, 8, true}, {PortKind::Tcp, 147448, 8, false},
      {PortKind::Tcp, 8, 2048, true},   {PortKind::Com, 8, 2056, false},
      {PortKind::Lpt, 0, 8, false},     {PortKind::Lpt, 8, 0, false},
  };
  for (auto [kind, width, height, fits] : cases) {
    EXPECT_EQ(DotLogoFits(kind, width, height), fits) << int(kind) << " " << width << "x" << height;
  }
}

}  // namespace
}  // namespace brindle
