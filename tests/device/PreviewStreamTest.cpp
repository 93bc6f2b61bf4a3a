// The printer stores what the preview shows, whatever the file's format.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "DotLayout.h"
#include "device/DotUpload.h"
#include "device/ThermalUpload.h"
#include "image/LogoConversion.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

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
        Log thermal, dot;
        LogPort thermalPort(thermal), dotPort(dot);
        LogClock thermalClock(thermal), dotClock(dot);
        auto logo = std::make_unique<LogoBitmap>();
        EXPECT_EQ(SendThermalLogos(thermalPort, kind, file + "|", halftone, level, *logo,
                                   thermalClock), 1);
        EXPECT_TRUE(SameLog(thermal, ThermalLog(kind, {block}))) << name << halftone << level;
        EXPECT_EQ(SendDotLogo(dotPort, kind, file + "|", halftone, level, dotClock), 1);
        EXPECT_TRUE(SameLog(dot, DotLog(kind, packets))) << name << halftone << level;
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
