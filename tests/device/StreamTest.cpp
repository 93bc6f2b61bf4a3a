// The command streams: "Thermal" and "Dot" uploads per port, printouts, erase.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "DotLayout.h"
#include "device/DotUpload.h"
#include "device/Printout.h"
#include "device/ThermalUpload.h"
#include "image/LogoConversion.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

struct Upload {
  Log log;
  LogPort port{log};
  LogClock clock{log};
  std::unique_ptr<LogoBitmap> logo = std::make_unique<LogoBitmap>();
  int Thermal(PortKind kind, const std::string& list, std::int16_t mode = 0, int level = 5) {
    return SendThermalLogos(port, kind, list, mode, std::uint16_t(level), *logo, clock);
  }
  int Dot(PortKind kind, const std::string& list, std::int16_t mode = 0, int level = 5) {
    return SendDotLogo(port, kind, list, mode, std::uint16_t(level), clock);
  }
};

// The log up to and including write number `n`.
Log UpToWrite(const Log& log, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t writes = 0; writes <= n; ++i) writes += log[i].kind == Event::Wait ? 0 : 1;
  return Head(log, i);
}

class Variant : public ::testing::TestWithParam<PortKind> {
 protected:
  Variant() {
    dir.Write("s.bmp", Bmp1(16, 8, false, Stripes));
    dir.Write("d.bmp", Bmp1(300, 20, false, Stripes));
    dir.Write("d0.bmp", Bmp1(300, 20, true, Stripes));  // colour 0 white
  }
  std::string F(const std::string& name) const { return dir.File(name + ".bmp") + "|"; }
  TempDir dir;
  const PortKind kind = GetParam();
  const Image small = ImageBlock(16, 8, Stripes);
};

// 200 x 100 dots: header 19 00 0D 00, 2,600 raster bytes, column 0 ending
// FF F0 (four dots above the padding), column 1 80. Paths go in list order;
// text after the last "|" is no path; prepared images give the same stream.
TEST_P(Variant, ThermalSendsTheWorkedExampleInListOrder) {
  dir.Write("t.bmp", Bmp1(200, 100, false, Stripes));
  Upload one, both, first, prepared;
  ASSERT_EQ(one.Thermal(kind, F("t")), 1);
  const Bytes raster = ImageBlock(200, 100, Stripes).second;
  ASSERT_EQ(raster.size(), 2600u);
  EXPECT_EQ(Bytes(raster.begin() + 11, raster.begin() + 15), Bytes({0xFF, 0xF0, 0x80, 0x00}));
  EXPECT_TRUE(SameLog(one.log, ThermalLog(kind, {{{0x19, 0x00, 0x0D, 0x00}, raster}})));
  auto marks = [](int x, int y) { return x % 3 == 0 || x == y; };
  dir.Write("u.bmp", Bmp1(10, 16, true, marks));
  const Image tall = {{0x02, 0x00, 0x02, 0x00}, ImageBlock(10, 16, marks).second};
  ASSERT_EQ(both.Thermal(kind, F("s") + F("u")), 1);
  EXPECT_TRUE(SameLog(both.log, ThermalLog(kind, {small, tall})));
  ASSERT_EQ(first.Thermal(kind, F("s") + dir.File("u.bmp")), 1);
  EXPECT_TRUE(SameLog(first.log, ThermalLog(kind, {small})));
  const auto images = PrepareThermalImages(F("s") + F("u"), 0, 5);
  ASSERT_TRUE(images.has_value());
  EXPECT_EQ(SendThermalImages(prepared.port, kind, *images, prepared.clock), 1);
  EXPECT_TRUE(SameLog(prepared.log, both.log));
}

// A failed write (first command, FS q, second header, middle and end of the
// second raster) ends the stream; so does a file removed before its header.
TEST_P(Variant, ThermalStopsAtAFailedWriteOrAFileThatStoppedLoading) {
  const bool usb = kind == PortKind::Usb;
  for (std::size_t n : usb ? std::vector<std::size_t>{0, 1, 2, 3, 4}
                           : std::vector<std::size_t>{0, 1, 19, 27, 35}) {
    Upload run;
    run.port.failingWrites = {n};
    EXPECT_EQ(run.Thermal(kind, F("s") + F("s")), 0);
    EXPECT_TRUE(SameLog(run.log, UpToWrite(ThermalLog(kind, {small, small}), n))) << n;
  }
  dir.Write("gone.bmp", Bmp1(16, 8, false, Stripes));
  Upload run;
  run.port.beforeWrite = [&](std::size_t) { std::filesystem::remove(dir.File("gone.bmp")); };
  EXPECT_EQ(run.Thermal(kind, F("s") + F("gone")), 0);
  EXPECT_TRUE(SameLog(run.log, ThermalLog(kind, {small}, 2)));
}

// 300 x 20 dots: bands 00 to 02 of W 304 (30 01), 313 bytes each, column 0
// black (rows 16 to 19 in band 2), column 1 only in band 0, 300 on blank;
// either colour table. Only the first path is read; a failed write ends it.
TEST_P(Variant, DotSendsTheWorkedExampleAndStopsAtAFailedWrite) {
  const auto packets = DotPackets(300, 20, Stripes);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(Bytes(packets[2].begin(), packets[2].begin() + 11),
            (Bytes{0x1B, 0x58, 0x2A, 0x02, 0x1B, 0x2A, 0x01, 0x30, 0x01, 0xF0, 0x00}));
  EXPECT_EQ(Bytes({packets[0][9], packets[0][10], packets[1][10], packets[2].back()}),
            Bytes({0xFF, 0x80, 0x00, 0x00}));
  EXPECT_EQ(packets[2].size(), 313u);
  for (const char* file : {"d", "d0"}) {
    Upload run;
    ASSERT_EQ(run.Dot(kind, F(file) + F("missing")), 1);
    EXPECT_TRUE(SameLog(run.log, DotLog(kind, packets))) << file;
  }
  for (std::size_t n : {0, 2}) {
    Upload run;
    run.port.failingWrites = {n};
    EXPECT_EQ(run.Dot(kind, F("d")), 0);
    EXPECT_TRUE(SameLog(run.log, UpToWrite(DotLog(kind, packets), n)));
  }
}

// Refused with nothing sent: no "|", a first path empty, missing, damaged or
// too big; by "Thermal" such a file anywhere or 256 logos; by "Dot" over 256
// bands.
TEST_P(Variant, RefusesBeforeSending) {
  dir.Write("big.bmp", Bmp1(2048, 776, false, Stripes));
  dir.Write("wide24.bmp", Bmp24(513, 8, Stripes));
  dir.Write("tall.bmp", Bmp1(8, 2049, false, Stripes));
  dir.Write("junk.bmp", "BM not a bitmap");
  std::string many;
  for (int i = 0; i < 256; ++i) many += F("s");
  const std::tuple<std::string, bool, bool> rows[] = {
      {dir.File("s.bmp"), true, true}, {"|" + F("s"), true, true},
      {F("big") + F("s"), true, true}, {F("junk"), true, true},
      {F("missing"), true, true},      {F("wide24"), true, true},
      {F("s") + F("big"), true, false}, {many, true, false},
      {F("tall"), false, true},
  };
  for (const auto& [list, thermal, dot] : rows) {
    Upload t, d;
    EXPECT_EQ(t.Thermal(kind, list), thermal ? 0 : 1) << list.substr(0, 200);
    EXPECT_EQ(t.log.empty(), thermal);
    EXPECT_EQ(PrepareThermalImages(list, 0, 5).has_value(), !thermal);
    EXPECT_EQ(d.Dot(kind, list), dot ? 0 : 1) << list.substr(0, 200);
    EXPECT_EQ(d.log.empty(), dot);
  }
}

INSTANTIATE_TEST_SUITE_P(AllPorts, Variant,
                         ::testing::Values(PortKind::Com, PortKind::Lpt, PortKind::Usb,
                                           PortKind::Tcp));

// 255 logos go out with n = FF; a header states x and y little-endian
// (2,056 dots: 257 = 01 01). A "Dot" band packet of W + 9 bytes must fit
// 131,072 bytes over COM, 147,456 elsewhere, in at most 256 bands.
TEST(Upload, States255ImagesAndSizes) {
  TempDir dir;
  dir.Write("a.bmp", Bmp1(8, 8, false, Stripes));
  std::string list;
  for (int i = 0; i < 255; ++i) list += dir.File("a.bmp") + "|";
  Upload full;
  ASSERT_EQ(full.Thermal(PortKind::Tcp, list), 1);
  ASSERT_EQ(full.log.size(), 3u + 255u * 9u);
  EXPECT_EQ(full.log[2], W({0x1C, 0x71, 0xFF}));
  std::uint8_t header[4];
  ThermalImageHeader(2056, 2048, header);
  EXPECT_EQ(Bytes(header, header + 4), Bytes({0x01, 0x01, 0x00, 0x01}));
  const std::tuple<PortKind, int, int, bool> fits[] = {
      {PortKind::Com, 131056, 8, true}, {PortKind::Com, 131064, 8, false},
      {PortKind::Lpt, 147440, 8, true}, {PortKind::Usb, 147448, 8, false},
      {PortKind::Tcp, 8, 2048, true},   {PortKind::Tcp, 8, 2056, false},
      {PortKind::Lpt, 0, 8, false},     {PortKind::Lpt, 8, 0, false},
  };
  for (auto [kind, width, height, fit] : fits) EXPECT_EQ(DotLogoFits(kind, width, height), fit);
}

// Start, size index, end, the write that fails (-1: none) and the log.
TEST(Printout, SendsTheSelectedImagesThenCutsAndStopsAtAFailedWrite) {
  const auto prints = [](int first, int last, std::uint8_t m) {
    Log log;
    for (int n = first; n <= last; ++n) log.push_back(W({0x1C, 0x70, std::uint8_t(n), m}));
    return log + Log{W({0x1D, 0x56, 0x42, 0x01})};
  };
  const Log cut = prints(1, 0, 0), erase = {W({0x1C, 0x65})};
  const struct {
    int start, size, end, failAt;
    Log expected;
  } cases[] = {
      {0, 2, 0, -1, prints(1, 255, 0x32)}, {2, 1, 4, -1, prints(2, 4, 0x31)},
      {5, 3, 2, -1, cut},                  {0, 3, 5, -1, prints(0, 0, 0x33)},
      {7, 4, 0, -1, prints(7, 7, 0x30)},   {7, -1, 0, -1, prints(7, 7, 0x30)},
      {255, 0, 0, -1, prints(255, 255, 0x30)}, {256, 0, 0, -1, cut},
      {-1, 0, 0, -1, cut},                 {2, 0, -1, -1, prints(2, 2, 0x30)},
      {1, 0, 300, -1, prints(1, 255, 0x30)}, {1000, 2, 0, -1, cut},
      {1000, 1000, 7, -1, erase},          {1000, 1000, 0, 0, erase},
      {0, 0, 0, 9, Head(prints(1, 255, 0x30), 10)}, {3, 0, 0, 1, prints(3, 3, 0x30)},
      {2, 0, 4, 0, Head(prints(2, 4, 0x30), 1)},    {5, 0, 2, 0, cut},
  };
  for (const auto& c : cases) {
    Log log;
    LogPort port(log);
    port.failingWrites = {static_cast<std::size_t>(c.failAt)};
    EXPECT_EQ(SendThermalPrintout(port, c.start, c.size, c.end), c.failAt < 0);
    EXPECT_TRUE(SameLog(log, c.expected)) << c.start << " " << c.size << " " << c.end;
  }
  for (std::size_t failAt : {2, 0, 1}) {
    Log log;
    LogPort port(log);
    port.failingWrites = {failAt};
    EXPECT_EQ(SendDotPrintout(port), failAt > 1);
    EXPECT_TRUE(SameLog(log, Head(kDotPrint, std::min<std::size_t>(failAt + 1, 2))));
  }
}

// The printer stores what the preview shows, whatever the file's format.
// The size query and previews of a logo in both halftone modes at three
// levels, checking that the streams of `kinds` carry the preview's dots.
std::vector<std::string> Previews(const TempDir& dir, const std::string& name,
                                  std::vector<PortKind> kinds = {PortKind::Usb}) {
  const std::string file = dir.File(name);
  std::int32_t bits = 0, height = 0, width = 0;
  const int query = QueryBitmapSize(file, bits, height, width);
  std::vector<std::string> out = {testing::PrintToString(std::tuple(query, bits, height, width))};
  for (std::int16_t halftone : {0, 1}) {
    for (std::int16_t level : {0, 5, 10}) {
      EXPECT_EQ(MakePreviewFile(file, halftone, level), dir.File("Temp.bmp"));
      out.push_back(dir.Read("Temp.bmp") + (halftone ? dir.Read("TempTe.bmp") : ""));
      const Mono dots = ReadMonoBmp(dir.Read("Temp.bmp"));
      EXPECT_EQ(std::pair(dots.width, dots.height), std::pair(width, height));
      const Image block = ImageBlock(dots.width, dots.height, dots.black);
      const auto packets = DotPackets(dots.width, dots.height, dots.black);
      for (PortKind kind : kinds) {
        Upload thermal, dot;
        EXPECT_EQ(thermal.Thermal(kind, file + "|", halftone, level), 1);
        EXPECT_TRUE(SameLog(thermal.log, ThermalLog(kind, {block}))) << name << halftone << level;
        EXPECT_EQ(dot.Dot(kind, file + "|", halftone, level), 1);
        EXPECT_TRUE(SameLog(dot.log, DotLog(kind, packets))) << name << halftone << level;
      }
    }
  }
  return out;
}

// A 21 x 13 24-bit BMP written by ImageMagick as BMPs of every depth that
// needs conversion, PNG, GIF and JPEG: the last three behave as the 24-bit
// BMP of their pixels that another decoder writes (djpeg for JPEG).
TEST(PreviewStream, EveryPortStoresThePreviewsDots) {
  TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  BmpFields source{.width = 21, .height = 13};
  for (int i = 0; i < 13 * 64; ++i) source.pixels.push_back(i % 64 < 63 ? i * 37 % 256 : 0);
  const Bytes bmp = BuildBmp(source);
  dir.Write("source.bmp", std::string(bmp.begin(), bmp.end()));
  const auto run = [&dir](const std::string& line) {
    std::istringstream words("/usr/bin/" + line);
    EXPECT_EQ(RunProcess({std::istream_iterator<std::string>(words), {}}, {}, dir.str()).status, 0)
        << line;
  };
  for (const std::string format :
       {"BMP3", "-compress None -type Palette BMP3", "-compress None -colors 16 BMP3",
        "-define bmp:subtype=RGB565 BMP", "-define bmp:subtype=RGB555 BMP", "PNG24",
        "-interlace PNG PNG24", "-colors 16 PNG8", "-depth 16 PNG48", "-colorspace Gray PNG",
        "GIF", "-quality 90 JPEG", "-interlace JPEG JPEG", "-colorspace Gray JPEG"}) {
    run("convert source.bmp " + format + ":picture");
    const auto p = Previews(dir, "picture", {PortKind::Com, PortKind::Lpt, PortKind::Usb,
                                             PortKind::Tcp});
    EXPECT_NE(p[2], p[5]) << format;  // the halftone mode and the level show
    EXPECT_NE(p[1], p[3]) << format;
    if (format.ends_with("BMP3") || format.ends_with("BMP")) continue;
    run(format.ends_with("JPEG") ? "djpeg -rgb -bmp -outfile same.bmp picture"
                                 : "convert picture -type TrueColor BMP3:same.bmp");
    EXPECT_EQ(p, Previews(dir, "same.bmp")) << format;
  }
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace brindle
