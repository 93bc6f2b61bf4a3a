// What the printer leaves behind: PNG files, the NV store, the output
// directory and the log of a session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <png.h>

#include <cstring>

#include "printer/TempDir.h"
#include "printer/TestStreams.h"
#include "tools/printer/Files.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Output.h"
#include "tools/printer/Png.h"
#include "tools/printer/Session.h"

namespace brindle::printer {
namespace {

using test::Bytes;
using test::operator+;
using test::TempDir;

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The file is an 8-bit greyscale PNG of the picture's size: the signature
// and the IHDR chunk are fixed bytes, and libpng reads black dots on white.
TEST(PrinterPng, EncodesDotsAsBlackOnWhiteGreyscale) {
  const Raster picture = test::Stair();
  const Bytes png = EncodePng(picture);
  ASSERT_GE(png.size(), 33u);
  const Bytes head{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A,  // signature
                   0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,  // IHDR, 13 bytes
                   0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x08,  // 16 x 8
                   0x08, 0x00};                                      // 8-bit grey
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 26), head);

  const auto back = DecodePng(png);
  ASSERT_TRUE(back);
  EXPECT_EQ(test::Draw(*back), test::Draw(picture));
  EXPECT_TRUE(EncodePng(Raster{}).empty());
}

// Pictures made elsewhere (a preview saved as colour with alpha) read as
// dots where they are dark and opaque; transparency is paper.
TEST(PrinterPng, ReadsColourAndTransparentPixels) {
  const std::uint8_t rgba[] = {0, 0, 0, 255,   0, 0, 0, 0,   255, 255, 255, 255,  200, 0, 0, 255};
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 4;
  image.height = 1;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 1024;
  Bytes png(size);
  ASSERT_TRUE(png_image_write_to_memory(&image, png.data(), &size, 0, rgba, 0, nullptr));
  png.resize(size);
  const auto dots = DecodePng(png);
  ASSERT_TRUE(dots);
  EXPECT_EQ(test::Draw(*dots), "#..#\n");
}

TEST(PrinterPng, RefusesWhatIsNotAPng) {
  Bytes png = EncodePng(test::SmallImage());
  EXPECT_FALSE(DecodePng({}));
  EXPECT_FALSE(DecodePng(Bytes{'n', 'o', 't'}));
  EXPECT_FALSE(DecodePng(Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2))));
  EXPECT_FALSE(ReadPngFile("/nonexistent/brindle/page.png"));
}

// The store files are the commands that define their contents.
TEST(PrinterNvStore, StoresTheDefiningCommandBytes) {
  std::vector<NvImage> images{NvImage{1, 1, {0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80}}};
  EXPECT_EQ(NvSetCommand(images), (Bytes{0x1C, 0x71, 0x01} + test::SmallImageBlock()));

  DotLogo logo;
  logo.bands = {{0xFF}, {}, {0x80, 0x01}};
  EXPECT_EQ(DotLogoCommand(logo),
            (Bytes{0x1B, 0x6F, 0x00,
                   0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0xFF,
                   0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x00, 0x00,
                   0x1B, 0x58, 0x2A, 0x02, 0x1B, 0x2A, 0x01, 0x02, 0x00, 0x80, 0x01}));
  DotLogo wide;
  wide.bands = {Bytes(300, 0x11)};
  const Bytes command = DotLogoCommand(wide);
  EXPECT_EQ(Bytes(command.begin() + 3, command.begin() + 12),
            (Bytes{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x2C, 0x01}));
}

TEST(PrinterNvStore, KeepsNvImagesAndLogoAcrossRuns) {
  TempDir dir;
  const NvStore store(dir / "nv");
  std::vector<NvImage> images;
  DotLogo logo;
  std::string error;
  ASSERT_TRUE(store.Load(images, logo, error)) << error;
  EXPECT_TRUE(images.empty());
  EXPECT_TRUE(logo.bands.empty());

  const std::vector<NvImage> saved{NvImage{2, 1, Bytes(16, 0x18)}, NvImage{1, 2, Bytes(16, 0x81)}};
  DotLogo savedLogo;
  savedLogo.bands = {{0x01, 0x02}, {}, {0x03}};
  ASSERT_TRUE(store.SaveNv(saved));
  ASSERT_TRUE(store.SaveLogo(savedLogo));
  ASSERT_TRUE(NvStore(dir / "nv").Load(images, logo, error)) << error;
  EXPECT_EQ(images, saved);
  EXPECT_EQ(logo, savedLogo);

  // An empty set or logo removes its file.
  ASSERT_TRUE(store.SaveNv({}));
  ASSERT_TRUE(store.SaveLogo({}));
  EXPECT_FALSE(Exists(dir / "nv/nv-images.bin"));
  EXPECT_FALSE(Exists(dir / "nv/dot-logo.bin"));
}

TEST(PrinterNvStore, RefusesDamagedFiles) {
  TempDir dir;
  const NvStore store(dir.path());
  const Bytes good = Bytes{0x1C, 0x71, 0x01} + test::SmallImageBlock();
  const Bytes damaged[] = {
      Bytes(good.begin(), good.end() - 1),  // cut short
      good + Bytes{0x00},                   // trailing byte
      Bytes{0x1C, 0x71, 0x00},              // no images
      Bytes{0x1B, 0x40},                    // another command
      Bytes{},                              // empty file
  };
  std::vector<NvImage> images;
  DotLogo logo;
  std::string error;
  for (const Bytes& bytes : damaged) {
    ASSERT_TRUE(WriteFileAtomic(dir / "nv-images.bin", bytes));
    EXPECT_FALSE(store.Load(images, logo, error));
    EXPECT_EQ(error, dir / "nv-images.bin is damaged");
  }
  std::filesystem::remove(dir / "nv-images.bin");
  ASSERT_TRUE(WriteFileAtomic(dir / "dot-logo.bin", Bytes{0x1B, 0x6F, 0x01}));
  EXPECT_FALSE(store.Load(images, logo, error));
}

TEST(PrinterOutput, WritesNvImagesAndRemovesStaleOnes) {
  TempDir dir;
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error)) << error;
  ASSERT_TRUE(output.WriteNv({NvImage{1, 1, test::SmallImageBlock()}, NvImage{1, 1, Bytes(8, 0)},
                              NvImage{1, 1, Bytes(8, 0)}}));
  EXPECT_TRUE(Exists(dir / "nv-3.png"));
  std::ofstream(dir / "nv-notes.png") << "not ours";

  const Bytes block = test::StairBlock();
  const NvImage stair{2, 1, Bytes(block.begin() + 4, block.end())};
  ASSERT_TRUE(output.WriteNv({stair}));
  EXPECT_FALSE(Exists(dir / "nv-2.png"));
  EXPECT_FALSE(Exists(dir / "nv-3.png"));
  EXPECT_TRUE(Exists(dir / "nv-notes.png"));
  const auto png = ReadPngFile(dir / "nv-1.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(test::Draw(*png), test::Draw(test::Stair()));

  DotLogo logo;
  logo.bands = {{0xFF}};
  ASSERT_TRUE(output.WriteLogo(logo));
  EXPECT_TRUE(Exists(dir / "dot-logo.png"));
  ASSERT_TRUE(output.WriteLogo({}));
  EXPECT_FALSE(Exists(dir / "dot-logo.png"));
}

TEST(PrinterOutput, NumbersPagesAfterThoseAlreadyThere) {
  TempDir dir;
  std::ofstream(dir / "page-7.png") << "earlier run";
  std::ofstream(dir / "page-x.png") << "not a page number";
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  EXPECT_EQ(output.WritePage(test::SmallImage()), 8);
  EXPECT_EQ(output.WritePage(test::SmallImage()), 9);
  EXPECT_EQ(ReadText(dir / "page-7.png"), "earlier run");

  Output nowhere("/proc/brindle-printer-cannot-exist");
  EXPECT_FALSE(nowhere.Open(error));
  EXPECT_EQ(error, "cannot create output directory /proc/brindle-printer-cannot-exist");
}

// A session logs one line per command with the printer's outcome, writes
// the pictures, returns the replies and keeps count for the summary.
TEST(PrinterSession, LogsAppliesAndCounts) {
  TempDir dir;
  Output output(dir / "out");
  std::string error;
  ASSERT_TRUE(output.Open(error));
  const NvStore store(dir / "nv");
  Printer printer;
  Session session(printer, output, &store);

  const Bytes stream = Bytes{0x1D, 0x49, 0x01, 0x1B, 0x40, 0x1C, 0x71, 0x01} + test::StairBlock() +
                       Bytes{0x1C, 0x70, 0x01, 0x31, 0x1D, 0x56, 0x42, 0x01, 0x07} +
                       Bytes{0x1B, 0x6F, 0x00, 0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01,
                             0x00, 0x80, 0x1C, 0x70};
  EXPECT_EQ(session.Feed(stream.data(), 3), Bytes{0x20});
  EXPECT_EQ(session.Feed(stream.data() + 3, stream.size() - 3), Bytes{});
  session.Finish();

  EXPECT_EQ(ReadText(dir / "out/commands.log"),
            "       0  GS I 1: replied 20\n"
            "       3  ESC @\n"
            "       5  FS q 1: 16x8: stored 1 image\n"
            "      28  FS p 1 49: printed 32x8 (double width)\n"
            "      32  GS V 66 1: page 32x8 saved as page-1.png\n"
            "      36  unknown 1 byte: 07: skipped\n"
            "      37  ESC o 0: Dot logo definition started\n"
            "      40  ESC X * 0, ESC * 1 1: 1 byte: band stored; logo 1x8\n"
            "      50  FS p INCOMPLETE (cut off after 1C 70): ignored\n");
  const SessionStats& s = session.stats();
  EXPECT_EQ(s.bytes, stream.size());
  EXPECT_EQ(s.commands, 8u);
  EXPECT_EQ(s.unknownBytes, 1u);
  EXPECT_EQ(s.incomplete, 1u);
  EXPECT_EQ(s.pages, 1u);
  EXPECT_EQ(s.replies, 1u);
  EXPECT_EQ(Summary(3, "127.0.0.1:5000", s, printer, "closed by host"),
            "connection 3 (127.0.0.1:5000): 52 bytes, 8 commands, 1 unknown byte, 1 incomplete, "
            "1 page, 1 reply; NV 1 image, Dot logo 1x8; closed by host");

  EXPECT_TRUE(Exists(dir / "out/page-1.png"));
  EXPECT_TRUE(Exists(dir / "out/nv-1.png"));
  EXPECT_TRUE(Exists(dir / "out/dot-logo.png"));
  std::vector<NvImage> images;
  DotLogo logo;
  ASSERT_TRUE(store.Load(images, logo, error));
  EXPECT_EQ(images, printer.Nv());
  EXPECT_EQ(logo, printer.Logo());
}

}  // namespace
}  // namespace brindle::printer

namespace brindle::printer {
namespace {

// The README's picture is what the sample stream prints; if either
// changes, the other must be regenerated on purpose.
TEST(PrinterSample, SampleStreamPrintsTheReadmePicture) {
  test::TempDir dir;
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  Printer printer;
  Session session(printer, output, nullptr);
  std::vector<std::uint8_t> stream;
  ASSERT_TRUE(ReadFile(BRINDLE_SOURCE_DIR "/tools/printer/samples/sample-page.bin", stream));
  session.Feed(stream.data(), stream.size());
  session.Finish();
  EXPECT_EQ(session.stats().unknownBytes, 0u);
  const auto page = ReadPngFile(dir / "page-1.png");
  const auto readme = ReadPngFile(BRINDLE_SOURCE_DIR "/docs/printed-page.png");
  ASSERT_TRUE(page && readme);
  EXPECT_EQ(page->width, 256);
  EXPECT_EQ(page->height, 32 + 30 + 8 + 30 + 64 + 8);
  EXPECT_TRUE(*page == *readme);
}

}  // namespace
}  // namespace brindle::printer
