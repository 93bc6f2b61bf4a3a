// A PNG, JPEG or GIF logo behaves as the 24-bit BMP of the same pixels:
// the loaded rows, the size query, the probes, the preview's Temp.bmp and
// TempTe.bmp, and the "Thermal" and "Dot" streams in both halftone modes
// at three levels; the "Dot" bands are the preview's black-and-white dots.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "StreamLogs.h"
#include "device/DotUpload.h"
#include "device/ThermalUpload.h"
#include "image/BmpBuilder.h"
#include "image/LogoConversion.h"
#include "image/PictureFiles.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

struct Rgba {
  int r, g, b, a = 255;
};
using Pixels = std::function<Rgba(int x, int y)>;

// The 24-bit BMP of the pixels over white paper, the formula written out.
Bytes Bmp24Of(int w, int h, const Pixels& at) {
  Bytes rows;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgba p = at(x, y);
      for (int c : {p.b, p.g, p.r}) {
        rows.push_back(static_cast<std::uint8_t>((c * p.a + 255 * (255 - p.a) + 127) / 255));
      }
    }
    rows.resize((rows.size() + 3) / 4 * 4, 0);
  }
  return BuildBmp({.width = w, .height = h, .pixels = rows});
}

// The pixels as a PNG. 16-bit samples are c * 257 moved less than 128 toward the middle,
// which scale back to c; gray of d bits is the top d bits of r.
Bytes PngOf(int w, int h, int colourType, int depth, const Pixels& at) {
  PngFields f{.width = std::uint32_t(w), .height = std::uint32_t(h), .bitDepth = depth,
              .colourType = colourType};
  std::vector<int> entries;  // palette colours as 0xAARRGGBB
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgba p = at(x, y);
      auto put = [&](int c) {
        f.samples.push_back(depth == 16 ? c * 257 + (c < 128 ? 1 : -1) * ((x + y) % 128)
                                        : c >> (8 - depth));
      };
      if (colourType == 3) {
        const int key = p.a << 24 | p.r << 16 | p.g << 8 | p.b;
        auto it = std::find(entries.begin(), entries.end(), key);
        f.samples.push_back(static_cast<unsigned>(it - entries.begin()));
        if (it == entries.end()) entries.push_back(key);
        continue;
      }
      for (int c : colourType == 0 || colourType == 4 ? std::vector{p.r} : std::vector{p.r, p.g, p.b}) {
        put(c);
      }
      if (colourType == 4 || colourType == 6) put(p.a);
    }
  }
  for (int e : entries) {
    f.palette.insert(f.palette.end(), {std::uint8_t(e >> 16), std::uint8_t(e >> 8), std::uint8_t(e)});
    f.transparency.push_back(static_cast<std::uint8_t>(e >> 24));
  }
  return BuildPng(f);
}

// The pixels (opaque, or fully transparent inside the frame and white
// outside it) as a GIF whose frame covers `frame` of the screen.
Bytes GifOf(int w, int h, std::array<int, 4> frame, const Pixels& at) {
  GifFields f{.screenWidth = w, .screenHeight = h, .colours = {}, .left = frame[0],
              .top = frame[1], .width = frame[2], .height = frame[3], .transparent = 255};
  for (int y = frame[1]; y < frame[1] + frame[3]; ++y) {
    for (int x = frame[0]; x < frame[0] + frame[2]; ++x) {
      const Rgba p = at(x, y);
      const auto colour = static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b);
      auto it = std::find(f.colours.begin(), f.colours.end(), colour);
      if (p.a == 0) f.indices.push_back(255);
      else f.indices.push_back(static_cast<std::uint8_t>(it - f.colours.begin()));
      if (p.a != 0 && it == f.colours.end()) f.colours.push_back(colour);
    }
  }
  return BuildGif(f);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Rgba Colourful(int x, int y) { return {(x * 37 + y * 11) % 256, (x * 5 + y * 71) % 256, (x * y) % 256}; }

// Everything the uploads and the preview make of one file.
struct Outcome {
  int loaded = 0;
  std::tuple<int, int, int, int, int, int, int, int> sizes;  // rows, query, probes
  Bytes rows;
  std::vector<std::string> previews;  // Temp.bmp, and TempTe.bmp after diffusion
  std::vector<Log> logs;              // "Thermal" and "Dot" streams
};

TEST(PictureFormats, EveryPictureBehavesAsTheBmpOfItsPixels) {
  TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  auto run = [&](const std::vector<std::string>& args) {
    const ProcessResult r = RunProcess(args, {}, dir.str());
    EXPECT_EQ(r.status, 0) << args[0] << r.err;
  };
  const auto transparent = [](int x, int y) {
    return (x + y) % 3 == 0 ? Rgba{0, 0, 0, 0} : Colourful(x, y);
  };
  const auto half = [](int x, int y) { return Rgba{x % 256, y * 9, 255 - x % 256, (x * 7 + y * 31) % 256}; };
  const auto gray = [](int x, int y) { return Rgba{(x + 40 * y) % 256, (x + 40 * y) % 256, (x + 40 * y) % 256}; };
  const auto gray4 = [](int x, int y) { const int g = (x + y) % 16 * 17; return Rgba{g, g, g}; };
  const auto grayAlpha = [](int x, int y) { const int g = (x * 32 + y) % 256; return Rgba{g, g, g, y * 3 % 256}; };
  const auto fewColours = [](int x, int y) {
    static const Rgba kColours[] = {{255, 0, 0, 255}, {0, 0, 0, 0}, {20, 200, 90, 128},
                                    {255, 255, 255, 255}, {9, 9, 9, 255}, {0, 0, 255, 40}};
    return kColours[(x / 3 + y) % 6];
  };
  const auto framed = [](int x, int y) {
    const bool inside = x >= 5 && x < 35 && y >= 3 && y < 21;
    if (!inside) return Rgba{255, 255, 255};
    return (x + y) % 4 == 0 ? Rgba{0, 0, 0, 0} : Rgba{x % 4 * 85, y % 5 * 60, (x * y) % 7 * 40};
  };
  const struct {
    const char* name;
    int w, h;
    Pixels pixels;
    std::function<Bytes(int, int, const Pixels&)> encode;
    std::vector<std::string> command = {};  // then makes picture.out from picture.in
  } pictures[] = {
      {"transparent RGBA", 21, 13, transparent, [](int w, int h, auto& p) { return PngOf(w, h, 6, 8, p); }},
      {"interlaced", 21, 13, transparent, [](int w, int h, auto& p) { return PngOf(w, h, 6, 8, p); },
       {"/usr/bin/convert", "picture.in", "-interlace", "PNG", "PNG32:picture.out"}},
      {"half-transparent RGBA", 505, 9, half, [](int w, int h, auto& p) { return PngOf(w, h, 6, 8, p); }},
      {"RGB at both limits", 512, 648, Colourful, [](int w, int h, auto& p) { return PngOf(w, h, 2, 8, p); }},
      {"8-bit gray", 512, 3, gray, [](int w, int h, auto& p) { return PngOf(w, h, 0, 8, p); }},
      {"4-bit gray", 7, 5, gray4, [](int w, int h, auto& p) { return PngOf(w, h, 0, 4, p); }},
      {"16-bit gray and alpha", 8, 648, grayAlpha, [](int w, int h, auto& p) { return PngOf(w, h, 4, 16, p); }},
      {"16-bit RGBA", 19, 11, half, [](int w, int h, auto& p) { return PngOf(w, h, 6, 16, p); }},
      {"palette and tRNS", 33, 17, fewColours, [](int w, int h, auto& p) { return PngOf(w, h, 3, 8, p); }},
      {"GIF frame with a transparent index", 40, 24, framed,
       [](int w, int h, auto& p) { return GifOf(w, h, {5, 3, 30, 18}, p); }},
      {"JPEG", 50, 30, Colourful, Bmp24Of, {"/usr/bin/cjpeg", "-outfile", "picture.out", "picture.in"}},
      {"progressive JPEG", 50, 30, Colourful, Bmp24Of,
       {"/usr/bin/cjpeg", "-progressive", "-outfile", "picture.out", "picture.in"}},
      {"gray JPEG", 50, 30, gray, Bmp24Of,
       {"/usr/bin/cjpeg", "-grayscale", "-outfile", "picture.out", "picture.in"}},
  };
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.name);
    const std::string path = dir.File("picture.out"), bmp = dir.File("same.bmp");
    WriteFile(picture.command.empty() ? path : dir.File("picture.in"),
              picture.encode(picture.w, picture.h, picture.pixels));
    if (!picture.command.empty()) run(picture.command);
    // libjpeg's own pixels are what a JPEG holds.
    if (!picture.command.empty() && picture.command.front() == "/usr/bin/cjpeg") {
      run({"/usr/bin/djpeg", "-rgb", "-bmp", "-outfile", bmp, path});
    } else {
      WriteFile(bmp, Bmp24Of(picture.w, picture.h, picture.pixels));
    }
    auto outcome = [&](const std::string& file) {
      Outcome o;
      auto logo = std::make_unique<LogoBitmap>();
      o.loaded = logo->LoadBitmapFile(file);
      if (logo->picture) o.rows = logo->picture->pixels;
      std::int32_t bits = 0, height = 0, width = 0;
      const int query = QueryBitmapSize(file, bits, height, width);
      o.sizes = {logo->description.width, logo->description.height, logo->description.rowBytes,
                 query, bits, height * 65536 + width, logo->ProbeHeader(file),
                 logo->ProbePalette(file)};
      for (int halftone : {0, 1}) {
        for (std::uint16_t level : {0, 5, 10}) {
          const std::string preview = ReadAll(MakePreviewFile(file, halftone, level));
          o.previews.push_back(preview + (halftone ? ReadAll("TempTe.bmp") : ""));
          Log thermal, dot;
          LogPort thermalPort(thermal), dotPort(dot);
          LogClock thermalClock(thermal), dotClock(dot);
          EXPECT_EQ(SendThermalLogos(thermalPort, PortKind::Usb, file + "|", std::int16_t(halftone),
                                     std::int16_t(level), *logo, thermalClock), 1);
          EXPECT_EQ(SendDotLogo(dotPort, PortKind::Lpt, file + "|", std::int16_t(halftone),
                                std::int16_t(level), dotClock), 1);
          EXPECT_TRUE(SameLog(dot, DotLog(PortKind::Lpt, picture.w, picture.h, ReadMonoBmp(preview))));
          o.logs.insert(o.logs.end(), {thermal, dot});
        }
      }
      return o;
    };
    const Outcome got = outcome(path), want = outcome(bmp);
    EXPECT_EQ(std::pair(got.loaded, want.loaded), std::pair(1, 1));
    EXPECT_EQ(got.sizes, want.sizes);
    EXPECT_TRUE(got.rows == want.rows);
    EXPECT_TRUE(got.previews == want.previews);
    for (std::size_t i = 0; i < got.logs.size() && i < want.logs.size(); ++i) {
      EXPECT_TRUE(SameLog(got.logs[i], want.logs[i])) << i;
    }
  }
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace brindle
