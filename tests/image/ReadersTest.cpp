// The picture readers: BMP refusals and the BMP suite; PNG, JPEG and GIF.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "PictureFiles.h"
#include "image/LogoConversion.h"
#include "image/LogoPicture.h"
#include "image/PictureKind.h"
#include "support/Bmp.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

Bytes Changed(Bytes b, std::size_t at, std::vector<int> bytes) {
  for (int v : bytes) b[at++] = static_cast<std::uint8_t>(v);
  return b;
}

// Each file damages a valid one in one way the suite's bad files do not.
TEST(BmpReader, RefusesDamagedAndUnsupportedFiles) {
  const BmpFields base{.width = 4, .height = 2, .bitsPerPixel = 8, .palette = {0, 0xFFFFFF},
                       .pixels = Bytes(8, 1)};
  const Bytes good = BuildBmp(base);
  auto rle = [&](Bytes stream, int width = 4, int height = 2) {
    return BuildBmp({.width = width, .height = height, .bitsPerPixel = 8, .compression = 1,
                     .palette = base.palette, .pixels = stream});
  };
  auto masks = [](std::vector<std::uint32_t> m) {
    return BuildBmp({.bitsPerPixel = 16, .compression = 3, .masks = m, .pixels = Bytes(4)});
  };
  auto le = [&](std::size_t at, std::uint32_t v) {
    return Changed(good, at, {int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255), int(v >> 24)});
  };
  using enum BmpError;
  const std::pair<Bytes, BmpError> cases[] = {
      {{}, NotBmp}, {Bytes(&good[0], &good[17]), NotBmp}, {Changed(good, 1, {0}), NotBmp},
      {Bytes(&good[0], &good[40]), BadHeader},
      {le(30, 4), Unsupported}, {le(30, 2), Unsupported},  // JPEG; RLE4 at 8 bits
      {le(22, 0), BadDimensions}, {le(22, 65536), BadDimensions},
      {le(10, 20), BadOffset}, {le(10, 5000), BadOffset},
      {BuildBmp({.bitsPerPixel = 8, .pixels = Bytes(4)}), BadPalette},  // no colour table
      {masks({0xF800, 0x0FE0, 0x001F}), BadMasks}, {masks({0xF800, 0x07E0, 0x0015}), BadMasks},
      {masks({0xF8000, 0x07E0, 0x001F}), BadMasks},
      // Run, literal past the row; delta past the picture, the row; run above it; cut.
      {rle({5, 1, 0, 1}), BadRle}, {rle({0, 5, 1, 1, 1, 1, 1, 0}), BadRle},
      {rle({0, 2, 0, 3, 1, 1}), BadRle}, {rle({0, 2, 5, 0}), BadRle},
      {rle({0, 0, 0, 0, 1, 1}), BadRle}, {rle({0, 4, 1, 1}), BadRle}, {rle({0, 2, 1}), BadRle},
      {rle({0, 1}, 60000, 1000), TooLarge},  // 2 bytes for so many pixels
  };
  for (const auto& [file, error] : cases) {
    BmpImage image;
    image.width = 99;
    EXPECT_STREQ(BmpErrorName(ReadBmp(file.data(), file.size(), image)), BmpErrorName(error));
    EXPECT_TRUE(image.width == 0 && image.pixels.empty());
  }
  // An odd literal run ends at its last pixel: its padding byte is no pixel.
  BmpImage image;
  const Bytes odd = rle({0, 3, 1, 0, 1, 1, 0, 1}, 5, 1);
  ASSERT_EQ(ReadBmp(odd.data(), odd.size(), image), None);
  EXPECT_EQ(Bytes(image.pixels.begin(), image.pixels.begin() + 5), (Bytes{1, 0, 1, 0, 0}));
}

const std::string kSuite = BRINDLE_TESTDATA_DIR "/bmpsuite/";

// A reference picture as R, G, B, A, top row first, read with libpng.
std::pair<png_uint_32, Bytes> ReadReference(const std::string& name) {
  Bytes rgba;
  FILE* f = std::fopen((kSuite + "html/" + name).c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (f != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_read_png(png, info,
                 PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 | PNG_TRANSFORM_GRAY_TO_RGB, {});
    const png_uint_32 width = png_get_image_width(png, info);
    const unsigned channels = png_get_channels(png, info);
    for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y) {
      png_bytep p = png_get_rows(png, info)[y];
      for (png_bytep end = p + width * channels; p < end; p += channels) {
        rgba.insert(rgba.end(), {p[0], p[1], p[2], channels == 4 ? p[3] : png_byte(255)});
      }
    }
  }
  const png_uint_32 width = rgba.empty() ? 0 : png_get_image_width(png, info);
  png_destroy_read_struct(&png, &info, nullptr);
  if (f != nullptr) std::fclose(f);
  return {width, rgba};
}

// The reference whose name (less "-0", "-e") starts the file's the longest; rgb32 is rgb24.
std::string ReferenceOf(const std::string& stem) {
  std::string best, bestBase;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite + "html")) {
    const std::string name = entry.path().stem().string();
    const std::string base = name.substr(0, name.size() - 2 * (name[name.size() - 2] == '-'));
    if (stem.starts_with(base) && base.size() > bestBase.size()) best = name, bestBase = base;
  }
  return best.empty() ? ReferenceOf("rgb24" + stem.substr(5)) : best + ".png";
}

// Good files match exactly, questionable ones within 1 or are refused, bad ones are
// refused. The depth is the name's first number; transparent pixels have no colour.
TEST(BmpSuite, FilesDecodeToTheirReferencePicturesOrAreRefused) {
  const std::set<std::string> refused = {"pal1huffmsb", "pal2",       "pal2color", "rgb24jpeg",
                                         "rgb24png",    "rgb24rle24", "rgba64"};
  int files = 0;
  for (const std::string folder : {"g", "q", "b"}) {
    for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
      const std::string stem = entry.path().stem().string();
      SCOPED_TRACE(stem);
      ++files;
      BmpImage image;
      const BmpError result = ReadBmpFile(entry.path().string(), image);
      if (folder == "b" || refused.contains(stem)) {
        EXPECT_TRUE(result != BmpError::None && image.pixels.empty());
        continue;
      }
      ASSERT_EQ(result, BmpError::None);
      EXPECT_EQ(image.bitsPerPixel, std::atoi(&stem[stem.find_first_of("0123456789")]));
      const auto [width, rgba] = ReadReference(ReferenceOf(stem));
      ASSERT_EQ(std::pair(int(width), rgba.size()),
                std::pair(image.width, 4ul * image.width * image.height));
      int worst = 0;
      for (std::size_t at = 0; at < rgba.size(); at += 4) {
        const int x = int(at / 4 % width), y = image.height - 1 - int(at / 4 / width);
        const BmpColour c = PixelColour(image, x, y);
        for (int d : {c.red - rgba[at], c.green - rgba[at + 1], c.blue - rgba[at + 2]}) {
          if (rgba[at + 3] != 0) worst = std::max(worst, std::abs(d));
        }
      }
      EXPECT_LE(worst, folder == "q" ? 1 : 0);
    }
  }
  EXPECT_EQ(files, 27 + 41 + 20);
}

// A 4 x 2 screen, red and green, index 1 transparent; a 2 x 1 frame at (1, 1)
// holding the indices 1, 0 (LZW codes 4 1 0 5 of 3 bits).
const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0,
                    0x21, 0xF9, 4, 1, 0, 0, 1, 0, 0x2C, 1, 0, 1, 0, 2, 0, 1, 0, 0, 2, 2, 0x0C, 0x0A,
                    0, 0x3B};

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class PictureDecoder : public InTempDir {};

// Decoded rows are stored bottom row first, B G R, padded to 4 bytes. Broken
// files and sizes beyond the BMP caps are refused; sizes beyond a logo's too,
// fast and in little memory, and the size query gives them as the 24-bit BMP's.
TEST_F(PictureDecoder, PicturesGiveTheRowsWorkedOutByHandOrAreRefused) {
  const Bytes png = BuildPng({8, 8, 8, 6, {}, {}, std::vector<unsigned>(256, 90)});
  std::ifstream in(std::string(BRINDLE_SOURCE_DIR) + "/fuzz/corpus/jpeg/baseline.jpg");
  const Bytes jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(jpeg.size(), 200u);
  auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.end() - long(n)); };
  Bytes noMap = Changed(kGif, 10, {0});  // no colour table at all
  noMap.erase(noMap.begin() + 13, noMap.begin() + 19);
  using enum DecodeStatus;
  const std::tuple<Bytes, DecodeStatus, int, int, Bytes> cases[] = {
      // 16 bits: 129 -> 1, 128 -> 0, 65535 -> 255; alpha 32896 -> 128, over white 127.
      {BuildPng({2, 1, 16, 6, {}, {}, {129, 128, 65535, 65535, 0, 0, 0, 32896}}), Ok, 2, 1,
       {255, 0, 1, 127, 127, 127, 0, 0}},
      // (c * 128 + 255 * 127 + 127) / 255: 1 and 254 just over and under a whole number.
      {BuildPng({.samples = {200, 1, 254, 128}}), Ok, 1, 1, {254, 128, 227, 0}},
      {BuildPng({.colourType = 2, .samples = {10, 20, 30}}), Ok, 1, 1, {30, 20, 10, 0}},
      {BuildPng({4, 1, 2, 0, {}, {}, {0, 1, 2, 3}}), Ok, 4, 1,
       {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
      // tRNS: gray 77 transparent; palette alpha 0 and 128.
      {BuildPng({2, 1, 8, 0, {}, {0, 77}, {77, 200}}), Ok, 2, 1,
       {255, 255, 255, 200, 200, 200, 0, 0}},
      {BuildPng({2, 1, 8, 3, {10, 20, 30, 40, 50, 60}, {0, 128}, {0, 1}}), Ok, 2, 1,
       {255, 255, 255, 157, 152, 147, 0, 0}},
      // The GIF: white but for red at (2, 1), in the bottom row.
      {kGif, Ok, 4, 2, {255, 255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 255, 255, 255, 255,
                        255, 255, 255, 255, 255, 255, 255, 255, 255}},
      {cut(png, 20), Refused, 0, 0, {}},
      {BuildPng({2, 1, 8, 3, {1, 2, 3}, {}, {0, 1}}), Refused, 0, 0, {}},  // index beyond PLTE
      {BuildPng({65536, 1, 8, 0}), Refused, 0, 0, {}},
      {BuildPng({30000, 30000, 8, 0}), TooLarge, 30000, 30000, {}},
      {BuildPng({512, 1, 8, 0, {}, {}, std::vector<unsigned>(512, 0)}), Ok, 512, 1, Bytes(1536)},
      {BuildPng({513, 1, 8, 0}), TooLarge, 513, 1, {}},  // a dot beyond the edge
      {cut(jpeg, jpeg.size() / 2), Refused, 0, 0, {}}, {cut(kGif, 3), Refused, 0, 0, {}},
      {Changed(kGif, 28, {3}), Refused, 0, 0, {}},    // frame beyond the screen
      {Changed(kGif, 30, {2}), Refused, 0, 0, {}},    // frame below it
      {Changed(kGif, 32, {0}), Refused, 0, 0, {}}, {Changed(kGif, 34, {0}), Refused, 0, 0, {}},
      {noMap, Refused, 0, 0, {}},
      {Changed(kGif, 39, {0x1C}), Refused, 0, 0, {}},  // indices 3, 0: beyond the colours
      {Changed(Bytes(kGif.begin(), kGif.begin() + 20), 19, {0x3B}), Refused, 0, 0, {}},  // no frame
      {Changed(kGif, 8, {0, 0}), Refused, 0, 0, {}},
      {Changed(kGif, 6, {255, 255, 255, 255}), TooLarge, 65535, 65535, {}},
  };
  for (const auto& [file, expected, w, h, rows] : cases) {
    const long rssBefore = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    BmpImage image;
    const DecodeStatus status = ReadPicture(file.data(), file.size(), FitsLogo, image);
    std::int32_t bits = 0, height = 0, width = 0;
    const int query = QueryBitmapSize(dir.Write("picture", file), bits, height, width);
    const int loaded = std::make_unique<LogoBitmap>()->LoadBitmapData(file.data(), file.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_LT(PeakRssKb() - rssBefore, 8 * 1024);
    const bool ok = expected == Ok, refused = expected == Refused;
    EXPECT_EQ(std::tuple(status, image.width, image.height, image.rowBytes * image.height,
                         image.pixels, loaded, query, bits, height, width),
              std::tuple(expected, w, h, int(rows.size()), rows, int(ok),
                         -int(refused), refused ? 0 : 24, h, w)) << file.size();
  }
}

// The first bytes decide a picture's kind, whatever its name; info prints its name.
TEST(PictureFormat, FirstBytesDecideTheKind) {
  const std::pair<std::string, const char*> cases[] = {
      {"BM", "bmp"}, {"\x89PNG\r\n\x1A\n", "png"}, {"\xFF\xD8\xFF", "jpeg"},
      {"GIF87a", "gif"}, {"GIF89a", "gif"}, {"GIF88a", "-"}, {"\x89PNG\r\n\x1A", "-"},
      {"\xFF\xD8", "-"}, {"B", "-"}, {"", "-"},
  };
  for (const auto& [head, name] : cases) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(head.data());
    EXPECT_STREQ(PictureFormatName(SniffPictureFormat(data, head.size())), name) << head;
  }
}

// The first of .BMP .ICO .JPG .JPEG .GIF found past the start; MulDiv's rounding.
TEST(PictureKind, FirstListedTextFoundAfterTheStartDecides) {
  using enum PictureKindValue;
  const std::pair<const char*, PictureKindValue> cases[] = {
      {"C/LOGO.BMP.GIF", Bitmap}, {"/x/a.gif/b.ico", Icon}, {".bmp.gif", Gif},
      {"/a.jpg", Jpeg}, {"b.jpeg", Jpeg}, {"/x/logo.png", Unsupported},
  };
  for (auto [path, kind] : cases) EXPECT_EQ(PictureKind(path), kind) << path;
  const int max = 0x7FFFFFFF, muldiv[][4] = {
      {2646, 96, 2540, 100}, {1, 1, 2, 1}, {-1, 1, 2, -1}, {5, 1, -2, -3},   {4, 1, 3, 1},
      {5, 1, 3, 2},          {1, 1, 0, -1}, {max, 2, 1, -1}, {max, max, max, max}};
  for (auto [a, b, c, result] : muldiv) EXPECT_EQ(MulDiv(a, b, c), result) << a << " " << c;
}

}  // namespace
}  // namespace brindle
