// The "Thermal" NV upload: bytes, write grouping and waits of each port
// variant, the refusals that keep the count byte and the blocks honest,
// and what a failed write leaves on the wire.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "BmpFiles.h"
#include "Recorder.h"
#include "device/ThermalUpload.h"
#include "image/LogoConversion.h"
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

// The log of one whole upload in the variant `kind`, from the headers and
// rasters of the images in order.
Log ThermalLog(PortKind kind, const std::vector<std::pair<Bytes, Bytes>>& images) {
  const auto n = static_cast<std::uint8_t>(images.size());
  Log log;
  if (kind == PortKind::Usb) {
    log.push_back(W({0x1B, 0x40, 0x1C, 0x71, n}));
  } else {
    log = {W({0x1B, 0x40}), Wait(100), W({0x1C, 0x71, n})};
  }
  for (const auto& [header, raster] : images) {
    log.push_back(W(header));
    if (kind == PortKind::Usb) {
      log.push_back(Wait(50));
      log.push_back(WC(raster));
    } else {
      AddByteWrites(log, raster);
    }
  }
  return log;
}

std::string KindName(const ::testing::TestParamInfo<PortKind>& info) {
  static const char* const names[] = {"Com", "Lpt", "Usb", "Tcp"};
  return names[static_cast<int>(info.param)];
}

class ThermalVariants : public ::testing::TestWithParam<PortKind> {};

// One 1-bit picture of 200 x 100 dots: W 200, H 104, header 19 00 0D 00,
// 2,600 raster bytes.
TEST_P(ThermalVariants, SendsTheWorkedExample) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(200, 100, false, Stripes));
  ThermalRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|"), 1);

  const Bytes raster = ColumnRaster(200, 100, Stripes);
  ASSERT_EQ(raster.size(), 2600u);
  // Column 0 is black: twelve full bytes and the four dots above the
  // padding; column 1 holds only the top row's dot.
  const Bytes column0 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0};
  const Bytes column1 = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(raster.begin(), raster.begin() + 13), column0);
  EXPECT_EQ(Bytes(raster.begin() + 13, raster.begin() + 26), column1);
  EXPECT_TRUE(SameLog(run.log, ThermalLog(GetParam(), {{{0x19, 0x00, 0x0D, 0x00}, raster}})));
}

// The same picture as a 24-bit file goes through the conversion and gives
// the same dots (black pixels, threshold at level 5).
TEST_P(ThermalVariants, ConvertsTrueColourPictures) {
  TempDir dir;
  dir.Write("a.bmp", Bmp24(200, 100, Stripes));
  ThermalRun run;
  ASSERT_EQ(run.Send(GetParam(), dir.File("a.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(run.log, ThermalLog(GetParam(), {{{0x19, 0x00, 0x0D, 0x00},
                                                        ColumnRaster(200, 100, Stripes)}})));
}

// Two paths with the final "|" send both blocks in list order; without it
// the count is 1 and only the first block follows.
TEST_P(ThermalVariants, CountsPathsBySeparators) {
  TempDir dir;
  auto tall = [](int x, int y) { return x == y; };
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("b.bmp", Bmp1(8, 16, true, tall));
  const Bytes a = ColumnRaster(16, 8, Stripes);
  const Bytes b = ColumnRaster(8, 16, tall);

  ThermalRun both;
  ASSERT_EQ(both.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("b.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(both.log, ThermalLog(GetParam(), {{{0x02, 0x00, 0x01, 0x00}, a},
                                                        {{0x01, 0x00, 0x02, 0x00}, b}})));
  ThermalRun first;
  ASSERT_EQ(first.Send(GetParam(), dir.File("a.bmp") + "|" + dir.File("b.bmp")), 1);
  EXPECT_TRUE(SameLog(first.log, ThermalLog(GetParam(), {{{0x02, 0x00, 0x01, 0x00}, a}})));
}

// A write that fails ends the stream at once with nothing after it: the
// first command, the define command, the second image's header, a raster
// write in the middle of the second image.
TEST_P(ThermalVariants, StopsAtTheFailedWrite) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  const std::string list = dir.File("a.bmp") + "|" + dir.File("a.bmp") + "|";
  const Log whole = ThermalLog(GetParam(), {{{0x02, 0x00, 0x01, 0x00}, ColumnRaster(16, 8, Stripes)},
                                            {{0x02, 0x00, 0x01, 0x00}, ColumnRaster(16, 8, Stripes)}});
  // Writes: init, (FS q,) header A, raster A, header B, raster B. Fail the
  // first, the second, the second header, the middle and the last of B's
  // raster.
  const std::vector<std::size_t> failing =
      GetParam() == PortKind::Usb ? std::vector<std::size_t>{0, 1, 2, 3, 4}
                                  : std::vector<std::size_t>{0, 1, 19, 27, 35};
  for (std::size_t failAt : failing) {
    SCOPED_TRACE("failing write " + std::to_string(failAt));
    ThermalRun run;
    run.port.failingWrites = {failAt};
    EXPECT_EQ(run.Send(GetParam(), list), 0);
    Log expected;
    for (std::size_t i = 0, writes = 0; i < whole.size(); ++i) {
      expected.push_back(whole[i]);
      if (whole[i].kind != Event::Wait && writes++ == failAt) break;
    }
    EXPECT_TRUE(SameLog(run.log, expected));
  }
}

INSTANTIATE_TEST_SUITE_P(AllPorts, ThermalVariants,
                         ::testing::Values(PortKind::Com, PortKind::Lpt, PortKind::Usb,
                                           PortKind::Tcp),
                         KindName);

TEST(ThermalUpload, StatesWidthAndHeightInEightDotUnits) {
  struct Case {
    int width, height;
    Bytes header;
  } cases[] = {
      {200, 104, {0x19, 0x00, 0x0D, 0x00}}, {2048, 8, {0x00, 0x01, 0x01, 0x00}},
      {208, 8, {0x1A, 0x00, 0x01, 0x00}},   {8, 2048, {0x01, 0x00, 0x00, 0x01}},
      {2056, 4104, {0x01, 0x01, 0x01, 0x02}},
  };
  for (const Case& c : cases) {
    std::uint8_t header[4];
    ThermalImageHeader(c.width, c.height, header);
    EXPECT_EQ(Bytes(header, header + 4), c.header) << c.width << " x " << c.height;
  }
}

// 2,048 dots wide gives x = 256 (00 01); 201 dots wide is padded to 208
// (x = 26) with blank columns 201 to 207.
TEST(ThermalUpload, PadsAndSplitsWideImages) {
  TempDir dir;
  dir.Write("wide.bmp", Bmp1(2048, 8, false, Stripes));
  dir.Write("odd.bmp", Bmp1(201, 100, false, Stripes));

  ThermalRun wide;
  ASSERT_EQ(wide.Send(PortKind::Com, dir.File("wide.bmp") + "|"), 1);
  EXPECT_TRUE(SameLog(wide.log, ThermalLog(PortKind::Com, {{{0x00, 0x01, 0x01, 0x00},
                                                            ColumnRaster(2048, 8, Stripes)}})));
  ThermalRun odd;
  ASSERT_EQ(odd.Send(PortKind::Com, dir.File("odd.bmp") + "|"), 1);
  const Bytes raster = ColumnRaster(201, 100, Stripes);
  ASSERT_EQ(raster.size(), 2704u);
  EXPECT_EQ(raster[201 * 13], 0x00) << "column 201 is padding although 201 % 3 == 0";
  EXPECT_TRUE(SameLog(odd.log, ThermalLog(PortKind::Com, {{{0x1A, 0x00, 0x0D, 0x00}, raster}})));
}

// The count byte must match the blocks: 255 logos are sent with n = FF,
// 256 are refused before anything is sent, as is a list without "|".
TEST(ThermalUpload, RefusesCountsTheByteCannotCarry) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  std::string list;
  for (int i = 0; i < 255; ++i) list += dir.File("a.bmp") + "|";

  ThermalRun full;
  ASSERT_EQ(full.Send(PortKind::Tcp, list), 1);
  ASSERT_GE(full.log.size(), 3u);
  EXPECT_EQ(full.log[2], W({0x1C, 0x71, 0xFF}));
  EXPECT_EQ(full.log.size(), 3u + 255u * 9u);

  ThermalRun over;
  EXPECT_EQ(over.Send(PortKind::Tcp, list + dir.File("a.bmp") + "|"), 0);
  EXPECT_TRUE(over.log.empty());

  for (const std::string& none : {std::string(), dir.File("a.bmp")}) {
    ThermalRun run;
    EXPECT_EQ(run.Send(PortKind::Com, none), 0);
    EXPECT_TRUE(run.log.empty());
  }
}

// A file that does not load, or a picture beyond the image buffers, anywhere
// in the list refuses the whole upload before the first byte.
TEST(ThermalUpload, RefusesUnsendablePicturesBeforeSending) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("big1.bmp", Bmp1(2048, 776, false, Stripes));  // 198,656 raster bytes
  dir.Write("wide24.bmp", Bmp24(513, 8, Stripes));        // wider than the working images
  dir.Write("tall24.bmp", Bmp24(8, 649, Stripes));        // taller than the working images
  dir.Write("junk.bmp", "BM not a bitmap");
  const std::string a = dir.File("a.bmp") + "|";
  for (const char* bad : {"big1.bmp", "wide24.bmp", "tall24.bmp", "junk.bmp", "missing.bmp"}) {
    for (PortKind kind : {PortKind::Com, PortKind::Usb}) {
      SCOPED_TRACE(bad);
      ThermalRun run;
      EXPECT_EQ(run.Send(kind, a + dir.File(bad) + "|" + a), 0);
      EXPECT_TRUE(run.log.empty()) << Describe(run.log.front());
    }
  }
  // The largest pictures that fit are sent.
  dir.Write("max1.bmp", Bmp1(2048, 768, false, Stripes));
  dir.Write("max24.bmp", Bmp24(512, 648, Stripes));
  for (const char* ok : {"max1.bmp", "max24.bmp"}) {
    ThermalRun run;
    EXPECT_EQ(run.Send(PortKind::Usb, dir.File(ok) + "|"), 1) << ok;
  }
}

// A file removed while the stream runs ends it before that file's header:
// nothing is built from a picture that did not load.
TEST(ThermalUpload, EndsBeforeAFileThatStoppedLoading) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("b.bmp", Bmp1(16, 8, false, Stripes));
  for (PortKind kind : {PortKind::Com, PortKind::Usb}) {
    ThermalRun run;
    run.port.beforeWrite = [&](std::size_t index) {
      if (index == 0) std::filesystem::remove(dir.File("b.bmp"));
    };
    EXPECT_EQ(run.Send(kind, dir.File("a.bmp") + "|" + dir.File("b.bmp") + "|"), 0);
    Log expected = ThermalLog(kind, {{{0x02, 0x00, 0x01, 0x00}, ColumnRaster(16, 8, Stripes)}});
    if (kind == PortKind::Usb) expected[0] = W({0x1B, 0x40, 0x1C, 0x71, 0x02});
    else expected[2] = W({0x1C, 0x71, 0x02});
    EXPECT_TRUE(SameLog(run.log, expected));
    dir.Write("b.bmp", Bmp1(16, 8, false, Stripes));
  }
}

// The halftone flag picks error diffusion (nonzero) or the threshold, and
// the level goes to the conversion unchanged.
TEST(ThermalUpload, PassesHalftoneChoiceToTheConversion) {
  TempDir dir;
  std::string picture = BmpHeaders(64, 16, 24, 0, 64 * 3 * 16);
  for (int r = 0; r < 16; ++r) {
    for (int x = 0; x < 64; ++x) picture.append(3, static_cast<char>(r == 0 && x == 0 ? 0 : 4 * x));
  }
  dir.Write("gray.bmp", picture);
  const std::string path = dir.File("gray.bmp");

  std::vector<Bytes> sent;
  for (auto [halftone, level] : {std::pair<int, int>{0, 5}, {1, 5}, {0, 0}, {1, 10}}) {
    ThermalRun run;
    ASSERT_EQ(run.Send(PortKind::Com, path + "|", static_cast<std::int16_t>(halftone),
                       static_cast<std::int16_t>(level)), 1);
    Bytes raster;
    for (std::size_t i = 4; i < run.log.size(); ++i) raster.push_back(run.log[i].bytes.at(0));
    auto logo = std::make_unique<LogoBitmap>();
    ConvertLogo(*logo, path, halftone, static_cast<std::uint16_t>(level));
    EXPECT_EQ(raster, Bytes(logo->raster.begin(), logo->raster.begin() + logo->rasterLength))
        << "halftone " << halftone << " level " << level;
    sent.push_back(raster);
  }
  // The four choices give four different rasters, so each one was used.
  for (std::size_t i = 0; i < sent.size(); ++i) {
    for (std::size_t j = i + 1; j < sent.size(); ++j) EXPECT_NE(sent[i], sent[j]) << i << j;
  }
}

}  // namespace
}  // namespace brindle
