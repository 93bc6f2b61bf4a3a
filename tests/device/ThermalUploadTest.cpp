// The "Thermal" NV upload: bytes, write grouping and waits of each port
// variant, the refusals that keep the count byte and the blocks honest,
// and what a failed write leaves on the wire.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "StreamLogs.h"
#include "device/ThermalUpload.h"
#include "support/RecordingPort.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

struct ThermalRun {
  Log log;
  LogPort port{log};
  LogClock clock{log};
  std::unique_ptr<LogoBitmap> logo = std::make_unique<LogoBitmap>();
  int Send(PortKind kind, const std::string& list, std::int16_t halftone = 0,
           std::int16_t level = 5) {
    return SendThermalLogos(port, kind, list, halftone, level, *logo, clock);
  }
};

const Image kSmall = {{0x02, 0x00, 0x01, 0x00}, ColumnRaster(16, 8, Stripes)};

class ThermalVariants : public ::testing::TestWithParam<PortKind> {};

// One picture of 200 x 100 dots: W 200, H 104, header 19 00 0D 00, 2,600
// raster bytes; two paths with the final "|" send both blocks in list
// order, without it the count is 1 and only the first block follows.
TEST_P(ThermalVariants, SendsTheWorkedExampleAndCountsPathsBySeparators) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(200, 100, false, Stripes));
  ThermalRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|"), 1);
  const Bytes raster = ColumnRaster(200, 100, Stripes);
  ASSERT_EQ(raster.size(), 2600u);
  // Column 0 is black: twelve full bytes and the four dots above the
  // padding; column 1 holds only the top row's dot.
  const Bytes columns01 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xF0, 0x80, 0,    0,    0,    0,
                           0,    0,    0,    0,    0,    0,    0,    0};
  EXPECT_EQ(Bytes(raster.begin(), raster.begin() + 26), columns01);
  EXPECT_TRUE(SameLog(run.log, ThermalLog(GetParam(), {{{0x19, 0x00, 0x0D, 0x00}, raster}})));

  auto diagonal = [](int x, int y) { return x == y; };
  dir.Write("s.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("t.bmp", Bmp1(8, 16, true, diagonal));
  const Image tall = {{0x01, 0x00, 0x02, 0x00}, ColumnRaster(8, 16, diagonal)};
  ThermalRun both, first;
  ASSERT_EQ(both.Send(GetParam(), dir.File("s.bmp") + "|" + dir.File("t.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(both.log, ThermalLog(GetParam(), {kSmall, tall})));
  ASSERT_EQ(first.Send(GetParam(), dir.File("s.bmp") + "|" + dir.File("t.bmp")), 1);
  EXPECT_TRUE(SameLog(first.log, ThermalLog(GetParam(), {kSmall})));
}

// A failed write ends the stream with nothing after it: the first
// command, the define command, the second header, the middle and the end
// of the second raster.
TEST_P(ThermalVariants, StopsAtTheFailedWrite) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  const Log whole = ThermalLog(GetParam(), {kSmall, kSmall});
  const bool usb = GetParam() == PortKind::Usb;
  for (std::size_t failAt : usb ? std::vector<std::size_t>{0, 1, 2, 3, 4}
                                : std::vector<std::size_t>{0, 1, 19, 27, 35}) {
    ThermalRun run;
    run.port.failingWrites = {failAt};
    EXPECT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("a.bmp") + "|"), 0);
    Log expected;
    for (std::size_t i = 0, writes = 0; i < whole.size() && writes <= failAt; ++i) {
      expected.push_back(whole[i]);
      writes += whole[i].kind == Event::Wait ? 0 : 1;
    }
    EXPECT_TRUE(SameLog(run.log, expected)) << "failing write " << failAt;
  }
}

// A file removed while the stream runs ends it before that file's header:
// nothing is built from a picture that did not load.
TEST_P(ThermalVariants, EndsBeforeAFileThatStoppedLoading) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("b.bmp", Bmp1(16, 8, false, Stripes));
  ThermalRun run;
  run.port.beforeWrite = [&](std::size_t index) {
    if (index == 0) std::filesystem::remove(dir.File("b.bmp"));
  };
  EXPECT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("b.bmp") + "|"), 0);
  EXPECT_TRUE(SameLog(run.log, ThermalLog(GetParam(), {kSmall}, 2)));
}

INSTANTIATE_TEST_SUITE_P(AllPorts, ThermalVariants,
                         ::testing::Values(PortKind::Com, PortKind::Lpt, PortKind::Usb,
                                           PortKind::Tcp));

// 2,048 dots wide gives x = 256 (00 01), 2,048 high y = 256 (00 01); 201
// dots wide is padded to 208 (x = 26) with blank columns 201 to 207.
TEST(ThermalUpload, StatesWidthAndHeightInEightDotUnits) {
  TempDir dir;
  dir.Write("odd.bmp", Bmp1(201, 100, false, Stripes));
  const Bytes raster = ColumnRaster(201, 100, Stripes);
  ASSERT_EQ(raster.size(), 2704u);
  EXPECT_EQ(raster[201 * 13], 0x00) << "column 201 is padding although 201 % 3 == 0";
  const std::tuple<int, int, Bytes> cases[] = {{2048, 8, {0x00, 0x01, 0x01, 0x00}},
                                               {8, 2048, {0x01, 0x00, 0x00, 0x01}}};
  for (const auto& [width, height, header] : cases) {
    dir.Write("a.bmp", Bmp1(width, height, false, Stripes));
    ThermalRun run;
    ASSERT_EQ(run.Send(PortKind::Com, dir.File("a.bmp") + "|"), 1);
    const Image image = {header, ColumnRaster(width, height, Stripes)};
    EXPECT_TRUE(SameLog(run.log, ThermalLog(PortKind::Com, {image}))) << width << "x" << height;
  }
  ThermalRun odd;
  ASSERT_EQ(odd.Send(PortKind::Com, dir.File("odd.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(odd.log, ThermalLog(PortKind::Com, {{{0x1A, 0x00, 0x0D, 0x00}, raster}})));
}

// The count byte must match the blocks: 255 logos go out with n = FF; 256
// are refused before anything is sent, as is a list without "|". So is a
// list with a file that does not load or a picture beyond the image
// buffers anywhere in it; the largest pictures that fit are sent.
TEST(ThermalUpload, RefusesWhatCannotBeSentWhole) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  std::string list;
  for (int i = 0; i < 255; ++i) list += dir.File("a.bmp") + "|";
  ThermalRun full;
  ASSERT_EQ(full.Send(PortKind::Tcp, list), 1);
  ASSERT_EQ(full.log.size(), 3u + 255u * 9u);
  EXPECT_EQ(full.log[2], W({0x1C, 0x71, 0xFF}));

  dir.Write("big1.bmp", Bmp1(2048, 776, false, Stripes));  // 198,656 raster bytes
  dir.Write("wide24.bmp", Bmp24(513, 8, Stripes));        // wider than the working images
  dir.Write("tall24.bmp", Bmp24(8, 649, Stripes));        // taller than the working images
  dir.Write("junk.bmp", "BM not a bitmap");
  const std::string a = dir.File("a.bmp") + "|";
  std::vector<std::string> refused = {list + a, "", dir.File("a.bmp")};
  for (const char* bad : {"big1.bmp", "wide24.bmp", "tall24.bmp", "junk.bmp", "missing.bmp"}) {
    refused.push_back(a + dir.File(bad) + "|" + a);
  }
  for (const std::string& bad : refused) {
    for (PortKind kind : {PortKind::Com, PortKind::Usb}) {
      ThermalRun run;
      EXPECT_EQ(run.Send(kind, bad), 0) << bad.substr(0, 200);
      EXPECT_TRUE(run.log.empty());
    }
  }
  dir.Write("max1.bmp", Bmp1(2048, 768, false, Stripes));
  dir.Write("max24.bmp", Bmp24(512, 648, Stripes));
  for (const char* ok : {"max1.bmp", "max24.bmp"}) {
    ThermalRun run;
    EXPECT_EQ(run.Send(PortKind::Usb, dir.File(ok) + "|"), 1) << ok;
  }
}

}  // namespace
}  // namespace brindle
