// A PNG, JPEG or GIF logo behaves as the 24-bit BMP of the same pixels:
// the loaded rows, the size query, the probes, the preview's Temp.bmp and
// TempTe.bmp, and the "Thermal" and "Dot" streams in both halftone modes
// at three levels; the "Dot" bands are the preview's black-and-white dots.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <sstream>

#include "StreamLogs.h"
#include "device/DotUpload.h"
#include "device/ThermalUpload.h"
#include "support/Bmp.h"
#include "image/LogoConversion.h"
#include "image/PictureFiles.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

// R, G, B and alpha varying with the position: with `levels`, each of
// 0, 255 / (levels - 1), ... 255; `gray` makes G and B those of R, `opaque`
// alpha 255.
struct Look {
  int levels = 256;
  bool gray = false, opaque = false;
};
std::array<int, 4> Pixel(int x, int y, Look k) {
  std::array<int, 4> p = {(x * 37 + y * 11) % 256, (x * 5 + y * 71) % 256, (x * y) % 256,
                          (x * 7 + y * 31) % 256};
  for (int& c : p) c = c * k.levels / 256 * 255 / (k.levels - 1);
  if (k.gray) p[1] = p[2] = p[0];
  if (k.opaque) p[3] = 255;
  return p;
}

// The 24-bit BMP of the pixels over white paper, the formula written out.
Bytes Bmp24Of(int w, int h, Look look) {
  Bytes rows;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const auto [r, g, b, a] = Pixel(x, y, look);
      for (int c : {b, g, r}) rows.push_back(std::uint8_t((c * a + 255 * (255 - a) + 127) / 255));
    }
    rows.resize((rows.size() + 3) / 4 * 4, 0);
  }
  return BuildBmp({.width = w, .height = h, .pixels = rows});
}

// The pixels as a PNG. A 16-bit sample is c * 257 moved less than 128
// toward the middle, which scales back to c; gray of d bits is the top d
// bits of R; a palette holds every colour and alpha met.
Bytes PngOf(int w, int h, int colourType, int depth, Look look) {
  static const std::vector<int> kChannels[] = {{0}, {}, {0, 1, 2}, {}, {0, 3}, {}, {0, 1, 2, 3}};
  PngFields f{std::uint32_t(w), std::uint32_t(h), depth, colourType};
  std::vector<std::array<int, 4>> entries;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto p = Pixel(x, y, look);
      const auto it = std::find(entries.begin(), entries.end(), p);
      if (colourType == 3) f.samples.push_back(unsigned(it - entries.begin()));
      if (colourType == 3 && it == entries.end()) entries.push_back(p);
      for (int c : kChannels[colourType]) {
        const int spread = (p[c] < 128 ? 1 : -1) * ((x + y) % 128);
        f.samples.push_back(depth == 16 ? p[c] * 257 + spread : p[c] >> (8 - depth));
      }
    }
  }
  for (const auto& e : entries) {
    f.palette.insert(f.palette.end(), {std::uint8_t(e[0]), std::uint8_t(e[1]), std::uint8_t(e[2])});
    f.transparency.push_back(std::uint8_t(e[3]));
  }
  return BuildPng(f);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything the uploads and the preview make of a w x h picture: its
// load, size query, probes and rows, Temp.bmp (and TempTe.bmp), and the
// "Thermal" and "Dot" streams in one log.
std::pair<std::vector<std::string>, Log> OutcomeOf(const std::string& file, int w, int h) {
  std::vector<std::string> facts;
  Log log;
  auto logo = std::make_unique<LogoBitmap>();
  std::int32_t bits = 0, height = 0, width = 0;
  const int query = QueryBitmapSize(file, bits, height, width);
  facts.push_back(testing::PrintToString(std::tuple(logo->LoadBitmapFile(file), query, bits, height,
      width, logo->description.rowBytes, logo->ProbeHeader(file), logo->ProbePalette(file))));
  if (logo->picture) facts.emplace_back(logo->picture->pixels.begin(), logo->picture->pixels.end());
  for (std::int16_t halftone : {0, 1}) {
    for (std::int16_t level : {0, 5, 10}) {
      const std::string preview = ReadAll(MakePreviewFile(file, halftone, level));
      facts.push_back(preview + (halftone ? ReadAll("TempTe.bmp") : ""));
      LogPort port(log);
      LogClock clock(log);
      EXPECT_EQ(SendThermalLogos(port, PortKind::Usb, file + "|", halftone, level, *logo, clock),
                1);
      const std::size_t dot = log.size();
      EXPECT_EQ(SendDotLogo(port, PortKind::Lpt, file + "|", halftone, level, clock), 1);
      EXPECT_TRUE(SameLog({log.begin() + long(dot), log.end()},
                          DotLog(PortKind::Lpt, w, h, ReadMonoBmp(preview))));
    }
  }
  return {facts, log};
}

TEST(PictureFormats, EveryPictureBehavesAsTheBmpOfItsPixels) {
  TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  auto run = [&dir](const std::string& line) {  // "-" is picture.in
    std::istringstream words("/usr/bin/" + line);
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    std::replace(args.begin(), args.end(), std::string("-"), dir.File("picture.in"));
    EXPECT_EQ(RunProcess(args, {}, dir.str()).status, 0) << line;
  };
  // A PNG of the colour type and depth, or the BMP turned into `picture` by
  // `command`; a JPEG holds the pixels libjpeg's djpeg gives.
  const struct {
    const char* name;
    int w, h;
    Look look;
    std::string command;
    int colourType = 0, depth = 8;
  } pictures[] = {
      {"transparent and half-transparent RGBA", 21, 13, {}, "", 6},
      {"RGBA at the width limit", 505, 9, {.levels = 2}, "", 6},
      {"RGB at both limits", 512, 648, {.opaque = true}, "", 2},
      {"8-bit gray", 512, 3, {.gray = true, .opaque = true}, "", 0},
      {"4-bit gray", 7, 5, {.levels = 16, .gray = true, .opaque = true}, "", 0, 4},
      {"16-bit gray and alpha", 8, 648, {.gray = true}, "", 4, 16},
      {"16-bit RGBA", 19, 11, {}, "", 6, 16},
      {"palette and tRNS", 33, 17, {.levels = 4}, "", 3},
      {"interlaced", 21, 13, {.opaque = true}, "convert - -interlace PNG PNG24:picture"},
      {"GIF", 30, 18, {.levels = 3, .opaque = true}, "convert - GIF:picture"},
      {"JPEG", 50, 30, {.opaque = true}, "cjpeg -outfile picture -"},
      {"progressive JPEG", 50, 30, {.opaque = true}, "cjpeg -progressive -outfile picture -"},
      {"gray JPEG", 50, 30, {.gray = true, .opaque = true}, "cjpeg -grayscale -outfile picture -"},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    const Bytes bmp = Bmp24Of(p.w, p.h, p.look);
    const Bytes png = p.command.empty() ? PngOf(p.w, p.h, p.colourType, p.depth, p.look) : bmp;
    dir.Write("same.bmp", std::string(bmp.begin(), bmp.end()));
    dir.Write(p.command.empty() ? "picture" : "picture.in", std::string(png.begin(), png.end()));
    if (!p.command.empty()) run(p.command);
    if (p.command.starts_with("cjpeg")) run("djpeg -rgb -bmp -outfile same.bmp picture");
    const auto got = OutcomeOf(dir.File("picture"), p.w, p.h);
    const auto want = OutcomeOf(dir.File("same.bmp"), p.w, p.h);
    EXPECT_TRUE(got.first == want.first);
    EXPECT_TRUE(SameLog(got.second, want.second));
  }
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace brindle
