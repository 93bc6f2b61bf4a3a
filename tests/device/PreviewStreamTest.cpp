// The printer stores what the preview shows: for pictures of every depth
// that needs conversion, in both halftone modes and at several levels, the
// "Thermal" and "Dot" streams of every port carry exactly the dots of the
// preview's black-and-white picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "StreamLogs.h"
#include "device/DotUpload.h"
#include "device/ThermalUpload.h"
#include "support/Bmp.h"
#include "image/LogoConversion.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

// 21 x 13 pixels, so that both sizes are padded. The colours vary with the
// position; every picture has a white bottom-left pixel or first entry.
constexpr int kW = 21, kH = 13;

BmpFields TrueColour24() {
  Bytes rows;
  for (int r = 0; r < kH; ++r) {
    for (int x = 0; x < kW; ++x) {
      const bool white = (x == 0 && r == 0) || (x + r) % 5 == 0;
      rows.insert(rows.end(), {std::uint8_t(white ? 255 : 12 * x), std::uint8_t(white ? 255 : 19 * r),
                               std::uint8_t(white ? 255 : 7 * (x + r))});
    }
    rows.resize((rows.size() + 3) / 4 * 4, 0);
  }
  return {.width = kW, .height = kH, .pixels = rows};
}

Bytes Indices(int bits, int colours) {
  Bytes rows;
  for (int r = 0; r < kH; ++r) {
    Bytes row((kW * bits + 31) / 32 * 4, 0);
    for (int x = 0; x < kW; ++x) {
      const int index = (x * 7 + r * 3) % colours;
      if (bits == 8) row[x] = static_cast<std::uint8_t>(index);
      else row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
    }
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

BmpFields Indexed(int bits, std::vector<std::uint32_t> palette) {
  return {.width = kW, .height = kH, .bitsPerPixel = static_cast<std::uint16_t>(bits),
          .palette = palette, .pixels = Indices(bits, static_cast<int>(palette.size()))};
}

std::vector<std::uint32_t> ColourPalette() {
  std::vector<std::uint32_t> palette = {0xFFFFFF};
  for (std::uint32_t i = 1; i < 256; ++i) palette.push_back((i * 0x2F1B07u) & 0xFFFFFF);
  return palette;
}

BmpFields HighColour(std::vector<std::uint32_t> masks) {
  Bytes rows;
  for (int r = 0; r < kH; ++r) {
    for (int x = 0; x < kW; ++x) {
      const auto v = static_cast<std::uint16_t>(x == 0 && r == 0 ? 0xFFFF : (x * 2731 + r * 977));
      rows.insert(rows.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    }
    rows.resize((rows.size() + 3) / 4 * 4, 0);
  }
  return {.width = kW, .height = kH, .bitsPerPixel = 16,
          .compression = masks.empty() ? 0u : 3u, .masks = masks, .pixels = rows};
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PreviewStream, EveryPortStoresThePreviewsDots) {
  const std::pair<const char*, BmpFields> pictures[] = {
      {"24-bit", TrueColour24()},
      {"8-bit colour palette", Indexed(8, ColourPalette())},
      {"8-bit identity gray palette", Indexed(8, GrayPalette(256))},
      {"4-bit gray ramp", Indexed(4, GrayPalette(16))},
      {"16-bit 5-5-5", HighColour({})},
      {"16-bit 5-6-5 bit fields", HighColour({0xF800, 0x07E0, 0x001F})},
  };
  TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  for (const auto& [name, fields] : pictures) {
    const Bytes file = BuildBmp(fields);
    dir.Write("logo.bmp", std::string(file.begin(), file.end()));
    const std::string list = dir.File("logo.bmp") + "|";
    std::vector<std::string> previews;
    for (int halftone : {0, 1}) {
      for (std::uint16_t level : {0, 5, 10}) {
        SCOPED_TRACE(testing::Message() << name << ", halftone " << halftone << ", level " << level);
        const std::string preview = ReadAll(MakePreviewFile(list.substr(0, list.size() - 1),
                                                            halftone, level));
        const MonoPicture dots = ReadMonoBmp(preview);
        ASSERT_EQ(std::pair(dots.width, dots.height), std::pair(kW, kH));
        previews.push_back(preview);
        for (PortKind kind : {PortKind::Com, PortKind::Lpt, PortKind::Usb, PortKind::Tcp}) {
          Log thermal, dot;
          LogPort thermalPort(thermal), dotPort(dot);
          LogClock thermalClock(thermal), dotClock(dot);
          auto logo = std::make_unique<LogoBitmap>();
          ASSERT_EQ(SendThermalLogos(thermalPort, kind, list, std::int16_t(halftone),
                                     std::int16_t(level), *logo, thermalClock), 1);
          EXPECT_TRUE(SameLog(thermal, ThermalLog(kind, {ImageBlock(kW, kH, dots)})));
          ASSERT_EQ(SendDotLogo(dotPort, kind, list, std::int16_t(halftone), std::int16_t(level),
                                dotClock), 1);
          EXPECT_TRUE(SameLog(dot, DotLog(kind, kW, kH, dots)));
        }
      }
    }
    // The halftone mode and the level show in what is stored.
    EXPECT_NE(previews[1], previews[4]) << name;
    EXPECT_NE(previews[0], previews[2]) << name;
  }
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace brindle
