// What the printer leaves behind: PNG files, the NV store, the output
// directory and the log of a session.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include "printer/TestStreams.h"
#include "tools/printer/Files.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Output.h"
#include "tools/printer/Png.h"
#include "tools/printer/Replay.h"
#include "tools/printer/Session.h"

namespace brindle::printer {
namespace {

using namespace test;

// The file is an 8-bit greyscale PNG of the picture's size: the signature
// and the IHDR chunk are fixed bytes, and libpng reads black dots on white.
TEST(PrinterPng, EncodesDotsAsBlackOnWhiteGreyscale) {
  const Bytes png = EncodePng(Stair());
  const Bytes head{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A,  // signature
                   0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,  // IHDR, 13 bytes
                   0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x08,  // 16 x 8
                   0x08, 0x00};                                      // 8-bit grey
  ASSERT_GE(png.size(), head.size());
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 26), head);
  const auto back = DecodePng(png);
  ASSERT_TRUE(back);
  EXPECT_EQ(Draw(*back), Draw(Stair()));
  EXPECT_TRUE(EncodePng(Raster{}).empty());
}

// Pictures made elsewhere (a preview saved as colour with alpha) read as
// dots where they are dark and opaque; transparency is paper.
TEST(PrinterPng, ReadsColourAndTransparentPixels) {
  const std::uint8_t rgba[] = {0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255, 200, 0, 0, 255};
  png_image image{};
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
  EXPECT_EQ(Draw(*dots), "#..#\n");
}

// Damaged or foreign input to the PNG and store readers is refused or read
// without harm (this also runs under ASan and UBSan); what is read is
// consistent with its size.
TEST(PrinterPng, ReadersRefuseDamagedInput) {
  const Bytes png = EncodePng(SmallImage());
  const Bytes half(png.begin(), png.begin() + long(png.size() / 2));
  for (const Bytes& bad : {Bytes{}, Bytes{'n', 'o', 't'}, half}) {
    EXPECT_FALSE(DecodePng(bad));
  }
  EXPECT_FALSE(ReadPngFile("/nonexistent/brindle/page.png"));

  std::mt19937 rng(11);
  DotLogo sample;
  sample.bands = {{0x01, 0x02}, {0x03}};
  const Bytes nv = NvSetCommand({NvImage{2, 1, Bytes(16, 0x5A)}}), logo = DotLogoCommand(sample);
  for (int round = 0; round < 3000; ++round) {
    std::vector<NvImage> images;
    DotLogo parsed;
    if (ParseNvSet(round % 2 ? Mutate(nv, rng) : RandomStream(rng, 64), images)) {
      for (const NvImage& i : images) ASSERT_EQ(i.bytes.size(), i.xUnits * i.yUnits * 8u);
    }
    if (ParseDotLogo(round % 2 ? Mutate(logo, rng) : RandomStream(rng, 64), parsed)) {
      (void)parsed.ToRaster();
    }
    if (round % 6 != 0) continue;
    if (const auto picture = DecodePng(round % 4 ? Mutate(png, rng) : RandomStream(rng, 100))) {
      ASSERT_EQ(picture->dots.size(), static_cast<std::size_t>(picture->width) * picture->height);
    }
  }
}

// The store files are the commands that define their contents.
TEST(PrinterNvStore, StoresTheDefiningCommandBytes) {
  EXPECT_EQ(NvSetCommand({NvImage{1, 1, {0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80}}}),
            (Bytes{0x1C, 0x71, 0x01} + kSmallBlock));
  DotLogo logo;
  logo.bands = {{0xFF}, {}, {0x80, 0x01}};
  EXPECT_EQ(DotLogoCommand(logo),
            (Bytes{0x1B, 0x6F, 0x00,
                   0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0xFF,
                   0x1B, 0x58, 0x2A, 0x01, 0x1B, 0x2A, 0x01, 0x00, 0x00,
                   0x1B, 0x58, 0x2A, 0x02, 0x1B, 0x2A, 0x01, 0x02, 0x00, 0x80, 0x01}));
  logo.bands = {Bytes(300, 0x11)};
  const Bytes wide = DotLogoCommand(logo);
  EXPECT_EQ(Bytes(wide.begin() + 3, wide.begin() + 12),
            (Bytes{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x2C, 0x01}));
}

// A store not yet made is empty; saving makes its directory, an empty part
// removes its file, and a damaged file is refused with its name.
TEST(PrinterNvStore, SavesLoadsAndRefusesDamagedFiles) {
  TempDir dir;
  const NvStore store(dir / "nv");
  std::vector<NvImage> images;
  DotLogo logo;
  std::string error;
  ASSERT_TRUE(store.Load(images, logo, error)) << error;
  EXPECT_TRUE(images.empty() && logo.bands.empty());
  const std::vector<NvImage> saved{NvImage{2, 1, Bytes(16, 0x18)}, NvImage{1, 2, Bytes(16, 0x81)}};
  DotLogo savedLogo;
  savedLogo.bands = {{0x01, 0x02}, {}, {0x03}};
  ASSERT_TRUE(store.SaveNv(saved) && store.SaveLogo(savedLogo));
  ASSERT_TRUE(NvStore(dir / "nv").Load(images, logo, error)) << error;
  EXPECT_EQ(images, saved);
  EXPECT_EQ(logo, savedLogo);
  ASSERT_TRUE(store.SaveNv({}) && store.SaveLogo({}));
  EXPECT_FALSE(Exists(dir / "nv/nv-images.bin") || Exists(dir / "nv/dot-logo.bin"));

  const Bytes good = Bytes{0x1C, 0x71, 0x01} + kSmallBlock;
  // Cut short, a trailing byte, no images, another command, an empty file.
  for (const Bytes& damaged : {Bytes(good.begin(), good.end() - 1), good + Bytes{0x00},
                               Bytes{0x1C, 0x71, 0x00}, Bytes{0x1B, 0x40}, Bytes{}}) {
    ASSERT_TRUE(WriteFileAtomic(dir / "nv/nv-images.bin", damaged));
    EXPECT_FALSE(store.Load(images, logo, error));
    EXPECT_EQ(error, dir / "nv/nv-images.bin is damaged");
  }
  // A FIFO is refused at once, not waited on; a 6-byte logo needs 6 bytes.
  std::filesystem::remove(dir / "nv/nv-images.bin");
  ASSERT_EQ(::mkfifo((dir / "nv/nv-images.bin").c_str(), 0600), 0);
  EXPECT_FALSE(store.Load(images, logo, error));
  std::filesystem::remove(dir / "nv/nv-images.bin");
  ASSERT_TRUE(store.SaveLogo(savedLogo));
  EXPECT_TRUE(NvStore(dir / "nv", 6).Load(images, logo, error));
  EXPECT_FALSE(NvStore(dir / "nv", 5).Load(images, logo, error));
  EXPECT_EQ(error, dir / "nv/dot-logo.bin is damaged");
}

// nv-N.png follow the set (a smaller set removes the higher numbers, not
// files that are not ours), dot-logo.png the logo, and pages are numbered
// after those an earlier run left.
TEST(PrinterOutput, WritesPicturesBesideThoseAlreadyThere) {
  TempDir dir;
  std::ofstream(dir / "page-7.png") << "earlier run";
  std::ofstream(dir / "page-x.png") << "not a page number";
  std::ofstream(dir / "nv-notes.png") << "not ours";
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error)) << error;
  const NvImage blank{1, 1, Bytes(8, 0)};
  ASSERT_TRUE(output.WriteNv({NvImage{1, 1, kSmallBlock}, blank, blank}));
  EXPECT_TRUE(Exists(dir / "nv-3.png"));
  const Bytes stair = StairBlock();
  ASSERT_TRUE(output.WriteNv({NvImage{2, 1, Bytes(stair.begin() + 4, stair.end())}}));
  EXPECT_FALSE(Exists(dir / "nv-2.png") || Exists(dir / "nv-3.png"));
  EXPECT_TRUE(Exists(dir / "nv-notes.png"));
  const auto png = ReadPngFile(dir / "nv-1.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(Draw(*png), Draw(Stair()));
  DotLogo logo;
  logo.bands = {{0xFF}};
  ASSERT_TRUE(output.WriteLogo(logo));
  EXPECT_TRUE(Exists(dir / "dot-logo.png"));
  ASSERT_TRUE(output.WriteLogo({}));
  EXPECT_FALSE(Exists(dir / "dot-logo.png"));
  EXPECT_EQ(output.WritePage(SmallImage()), 8);
  EXPECT_EQ(output.WritePage(SmallImage()), 9);
  EXPECT_EQ(ReadText(dir / "page-7.png"), "earlier run");

  Output nowhere("/proc/brindle-printer-cannot-exist");
  EXPECT_FALSE(nowhere.Open(error));
  EXPECT_EQ(error, "cannot create output directory /proc/brindle-printer-cannot-exist");
}

// A session logs one line per command with the printer's outcome, writes
// the pictures and the store, returns the replies and keeps count for the
// summary.
TEST(PrinterSession, LogsAppliesAndCounts) {
  TempDir dir;
  Output output(dir / "out");
  std::string error;
  ASSERT_TRUE(output.Open(error));
  const NvStore store(dir / "nv");
  Printer printer;
  Session session(printer, output, &store);
  const Bytes stream =
      Bytes{0x1D, 0x49, 0x01, 0x1B, 0x40, 0x1C, 0x71, 0x01} + StairBlock() +
      Bytes{0x1C, 0x70, 0x01, 0x31, 0x1D, 0x56, 0x42, 0x01, 0x07, 0x1B, 0x6F, 0x00} +
      Bytes{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0x80, 0x1C, 0x70};
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
  EXPECT_EQ(Summary(3, "127.0.0.1:5000", session.stats(), printer, "closed by host"),
            "connection 3 (127.0.0.1:5000): 52 bytes, 8 commands, 1 unknown byte, 1 incomplete, "
            "1 page, 1 reply; NV 1 image, Dot logo 1x8; closed by host");
  for (const char* file : {"out/page-1.png", "out/nv-1.png", "out/dot-logo.png"}) {
    EXPECT_TRUE(Exists(dir / file)) << file;
  }
  std::vector<NvImage> images;
  DotLogo logo;
  ASSERT_TRUE(store.Load(images, logo, error));
  EXPECT_EQ(images, printer.Nv());
  EXPECT_EQ(logo, printer.Logo());
}

// Real-time requests are answered and logged as they arrive, even inside
// image data and ahead of the commands before them, whatever the pieces
// the bytes come in; GS I is answered in its turn.
TEST(PrinterSession, AnswersRealTimeRequestsOnArrival) {
  TempDir dir;
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  const Bytes stream{0x1D, 0x49, 0x01, 0x10, 0x04, 0x04, 0x1C, 0x71, 0x01, 0x01, 0x00, 0x01,
                     0x00, 0x10, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x04};
  PrinterSetup setup;
  setup.status = {0x12, 0x12, 0x12, 0x1E};
  Printer printer(setup);
  for (std::size_t split = 1; split < stream.size(); ++split) {
    Session pieces(printer, output, nullptr);
    const Bytes first = pieces.Receive(stream.data(), split);
    EXPECT_EQ(first + pieces.Receive(stream.data() + split, stream.size() - split),
              (Bytes{0x1E, 0x12}))
        << split;
  }
  ASSERT_TRUE(output.Open(error));  // a fresh log
  Session session(printer, output, nullptr);
  EXPECT_EQ(session.Receive(stream.data(), stream.size()), (Bytes{0x1E, 0x12}));
  EXPECT_EQ(session.Process(), Bytes{0x20});
  session.Finish();
  EXPECT_EQ(ReadText(dir / "commands.log"),
            "       3  DLE EOT 4: replied 1E\n"
            "      13  DLE EOT 1: replied 12\n"
            "       0  GS I 1: replied 20\n"
            "       6  FS q 1: 8x8: stored 1 image\n"
            "      21  DLE EOT INCOMPLETE (cut off after 10 04): ignored\n");
  EXPECT_EQ(session.stats().commands, 4u);
}

// A replay goes through a buffer's worth at a time, each piece's printing
// waited for on the clock: 16 rows printed, 30 fed.
TEST(PrinterReplay, WaitsForWhatItPrints) {
  struct FakeClock final : Clock {
    std::int64_t NowMs() override { return now; }
    bool Sleep(std::int64_t ms) override { return (now += ms) >= 0; }
    std::int64_t now = 0;
  } clock;
  TempDir dir;
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  const Bytes stream = Bytes{0x1C, 0x71, 0x01} + StairBlock() + Bytes{0x1C, 0x70, 0x01, 0x03, 0x0A};
  ASSERT_TRUE(WriteFileAtomic(dir / "job.bin", stream));
  Printer printer;
  Session session(printer, output, nullptr, 5);
  EXPECT_EQ(Replay(dir / "job.bin", session, clock), ReplayEnd::EndOfFile);
  EXPECT_EQ(std::pair(clock.now, session.stats().bytes), std::pair(46l, stream.size()));
  EXPECT_EQ(Replay(dir.path(), session, clock), ReplayEnd::Unreadable);
}

// The README's picture is what the sample stream prints; if either
// changes, the other must be regenerated on purpose.
TEST(PrinterSession, SampleStreamPrintsTheReadmePicture) {
  TempDir dir;
  Output output(dir.path());
  std::string error;
  ASSERT_TRUE(output.Open(error));
  Printer printer;
  Session session(printer, output, nullptr);
  Bytes stream;
  ASSERT_TRUE(ReadFile(BRINDLE_SOURCE_DIR "/tools/printer/samples/sample-page.bin", stream));
  session.Feed(stream.data(), stream.size());
  session.Finish();
  EXPECT_EQ(session.stats().unknownBytes, 0u);
  const auto page = ReadPngFile(dir / "page-1.png");
  const auto readme = ReadPngFile(BRINDLE_SOURCE_DIR "/docs/printed-page.png");
  ASSERT_TRUE(page && readme);
  EXPECT_EQ(std::pair(page->width, page->height), std::pair(256, 32 + 30 + 8 + 30 + 64 + 8));
  EXPECT_TRUE(*page == *readme);
}

}  // namespace
}  // namespace brindle::printer
