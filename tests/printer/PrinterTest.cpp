// The printer model: what each command does to the NV set, the Dot logo
// and the paper, checked against hand-drawn pages.
#include <gtest/gtest.h>

#include "printer/TestStreams.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

using test::Bytes;
using test::operator+;
using test::Draw;
using test::Picture;

struct Effects {
  std::vector<std::string> notes;
  std::vector<Raster> pages;
  Bytes replies;
};

Effects Apply(Printer& printer, const Bytes& stream) {
  Effects run;
  for (const Command& c : test::DecodeAll(stream)) {
    Outcome o = printer.Apply(c);
    run.notes.push_back(o.note);
    run.replies = run.replies + o.reply;
    if (o.page) run.pages.push_back(*o.page);
  }
  return run;
}

const Bytes kDefineSmall = Bytes{0x1C, 0x71, 0x01} + test::SmallImageBlock();
const Bytes kCut{0x1D, 0x56, 0x42, 0x01};

// FS p in each size mode, by its digit and by its character: the page is
// the image scaled 2x in the named direction.
TEST(PrinterModel, PrintsNvImageInEachSizeMode) {
  const Raster normal = test::SmallImage();
  const Raster doubleWidth = Picture({"##............##",
                                      "##..............",
                                      "##..............",
                                      "##..............",
                                      "##..............",
                                      "##..............",
                                      "##..............",
                                      "######.........."});
  const Raster doubleHeight = Picture({"#......#", "#......#", "#.......", "#.......",
                                       "#.......", "#.......", "#.......", "#.......",
                                       "#.......", "#.......", "#.......", "#.......",
                                       "#.......", "#.......", "###.....", "###....."});
  const Raster doubleBoth = Picture({"##............##", "##............##",
                                     "##..............", "##..............",
                                     "##..............", "##..............",
                                     "##..............", "##..............",
                                     "##..............", "##..............",
                                     "##..............", "##..............",
                                     "##..............", "##..............",
                                     "######..........", "######.........."});
  struct Case {
    std::uint8_t m;
    const Raster* page;
    const char* note;
  };
  const Case cases[] = {
      {0x00, &normal, "printed 8x8 (normal)"},
      {0x30, &normal, "printed 8x8 (normal)"},
      {0x01, &doubleWidth, "printed 16x8 (double width)"},
      {0x31, &doubleWidth, "printed 16x8 (double width)"},
      {0x02, &doubleHeight, "printed 8x16 (double height)"},
      {0x32, &doubleHeight, "printed 8x16 (double height)"},
      {0x03, &doubleBoth, "printed 16x16 (double width and height)"},
      {0x33, &doubleBoth, "printed 16x16 (double width and height)"},
  };
  for (const Case& c : cases) {
    Printer printer;
    const Effects run = Apply(printer, kDefineSmall + Bytes{0x1C, 0x70, 0x01, c.m} + kCut);
    ASSERT_EQ(run.pages.size(), 1u) << int(c.m);
    EXPECT_EQ(Draw(run.pages[0]), Draw(*c.page)) << int(c.m);
    EXPECT_EQ(run.notes[1], c.note);
  }
}

// "All": 255 FS p commands print the stored images, in number order, one
// below the other, and skip the numbers that hold nothing.
TEST(PrinterModel, AllPrintsOnlyTheStoredImages) {
  Bytes stream = Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock() + test::StairBlock();
  for (int n = 1; n <= 255; ++n) stream = stream + Bytes{0x1C, 0x70, static_cast<std::uint8_t>(n), 0x30};
  Printer printer;
  const Effects run = Apply(printer, stream + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(Draw(run.pages[0]), Draw(Picture({"#......#........",
                                              "#...............",
                                              "#...............",
                                              "#...............",
                                              "#...............",
                                              "#...............",
                                              "#...............",
                                              "###.............",
                                              "#.......#.......",
                                              ".#.......#......",
                                              "..#.......#.....",
                                              "...#.......#....",
                                              "....#.......#...",
                                              ".....#.......#..",
                                              "......#.......#.",
                                              ".......#.......#"})));
  EXPECT_EQ(run.notes[3], "image 3 not stored");
  EXPECT_EQ(run.notes[255], "image 255 not stored");
}

TEST(PrinterModel, EraseEmptiesTheNvSet) {
  Printer printer;
  Apply(printer, kDefineSmall);
  ASSERT_EQ(printer.Nv().size(), 1u);
  const Effects run = Apply(printer, Bytes{0x1C, 0x65, 0x1C, 0x70, 0x01, 0x30} + kCut);
  EXPECT_TRUE(printer.Nv().empty());
  EXPECT_EQ(run.notes, (std::vector<std::string>{"erased 1 image", "image 1 not stored",
                                                 "nothing printed; no page"}));
  EXPECT_TRUE(run.pages.empty());
}

// A new FS q replaces the whole set; one cut off or rejected leaves the
// set as it was.
TEST(PrinterModel, OnlyACompleteDefineReplacesTheSet) {
  Printer printer;
  Apply(printer, Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock() + test::StairBlock());
  ASSERT_EQ(printer.Nv().size(), 2u);

  Effects run = Apply(printer, Bytes{0x1C, 0x71, 0x02} + test::StairBlock() + Bytes{0x01, 0x00, 0x01});
  EXPECT_EQ(run.notes, std::vector<std::string>{"NV memory unchanged"});
  ASSERT_EQ(printer.Nv().size(), 2u);

  run = Apply(printer, Bytes{0x1C, 0x71, 0x01, 0x00, 0x00, 0x01, 0x00});
  EXPECT_EQ(run.notes, std::vector<std::string>{"NV memory unchanged"});
  ASSERT_EQ(printer.Nv().size(), 2u);

  run = Apply(printer, Bytes{0x1C, 0x71, 0x01} + test::StairBlock());
  EXPECT_EQ(run.notes, std::vector<std::string>{"stored 1 image"});
  ASSERT_EQ(printer.Nv().size(), 1u);
  EXPECT_EQ(Draw(printer.Nv()[0].ToRaster()), Draw(test::Stair()));
}

TEST(PrinterModel, RepliesToTheDeviceCheckAsConfigured) {
  struct Case {
    Bytes reply;
    Bytes request;
    Bytes expected;
    const char* note;
  };
  const Case cases[] = {
      {{0x20}, {0x1D, 0x49, 0x01}, {0x20}, "replied 20"},
      {{0x0D}, {0x1D, 0x49, 0x01}, {0x0D}, "replied 0D"},
      {{0x0D, 0x0A}, {0x1D, 0x49, 0x01}, {0x0D, 0x0A}, "replied 0D 0A"},
      {{}, {0x1D, 0x49, 0x01}, {}, "no reply"},
      {{0x20}, {0x1D, 0x49, 0x02}, {}, "no reply (only GS I 1 is answered)"},
  };
  for (const Case& c : cases) {
    Printer printer(c.reply);
    const Effects run = Apply(printer, c.request);
    EXPECT_EQ(run.replies, c.expected) << c.note;
    EXPECT_EQ(run.notes, std::vector<std::string>{c.note});
  }
}

// The Dot printout (ESC o 1, seven CR LF, ESC m) prints the stored logo
// and feeds seven lines of 30 dots; CR LF is one line, not two.
TEST(PrinterModel, DotLogoIsStoredBandByBandAndPrinted) {
  Printer printer;
  Apply(printer, test::DotExample());
  EXPECT_EQ(printer.Logo().Width(), 304);
  EXPECT_EQ(printer.Logo().Height(), 24);
  Bytes printout{0x1B, 0x6F, 0x01};
  for (int i = 0; i < 7; ++i) printout = printout + Bytes{0x0D, 0x0A};
  const Effects run = Apply(printer, printout + Bytes{0x1B, 0x6D});
  ASSERT_EQ(run.pages.size(), 1u);
  const Raster& page = run.pages[0];
  EXPECT_EQ(page.width, 304);
  EXPECT_EQ(page.height, 24 + 7 * kLineFeedDots);
  for (int x : {0, 151, 303}) {
    for (int y = 0; y < 24; ++y) {
      const bool expected = y == 0 || (y >= 8 && y < 16) || y == 23;
      EXPECT_EQ(page.At(x, y), expected) << x << "," << y;
    }
    EXPECT_FALSE(page.At(x, 24));
  }
}

TEST(PrinterModel, DotBandsNeedADefinitionAndMayComeInAnyOrder) {
  const Bytes band2{0x1B, 0x58, 0x2A, 0x02, 0x1B, 0x2A, 0x01, 0x02, 0x00, 0x80, 0x01};
  const Bytes band0{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0xFF};
  Printer printer;
  Effects run = Apply(printer, Bytes{0x1B, 0x6F, 0x01} + band0);
  EXPECT_EQ(run.notes, (std::vector<std::string>{"no Dot logo stored",
                                                 "no ESC o 0 before it; ignored"}));
  run = Apply(printer, Bytes{0x1B, 0x6F, 0x00} + band2 + band0 + Bytes{0x1B, 0x6F, 0x01} + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(Draw(run.pages[0]), Draw(Picture({"#.", "#.", "#.", "#.", "#.", "#.", "#.", "#.",
                                              "..", "..", "..", "..", "..", "..", "..", "..",
                                              "#.", "..", "..", "..", "..", "..", "..", ".#"})));
  // The definition ends with the connection: later bands are refused.
  printer.EndConnection();
  run = Apply(printer, band0);
  EXPECT_EQ(run.notes, std::vector<std::string>{"no ESC o 0 before it; ignored"});
}

TEST(PrinterModel, RefusesWhatItCannotPrint) {
  Printer printer;
  Effects run = Apply(printer, kDefineSmall + Bytes{0x1C, 0x70, 0x01, 0x34, 0x1C, 0x70, 0x00, 0x30});
  EXPECT_EQ(run.notes[1], "size mode 52 unknown; nothing printed");
  EXPECT_EQ(run.notes[2], "image 0 not stored");
  EXPECT_FALSE(printer.paper().HasPrint());

  // 8184 x 2056 dots printed double both would exceed a page's bounds.
  const Bytes big = Bytes{0x1C, 0x71, 0x01, 0xFF, 0x03, 0x01, 0x01} + test::Repeat(0x0F, 1023 * 257 * 8);
  run = Apply(printer, big + Bytes{0x1C, 0x70, 0x01, 0x33, 0x1C, 0x70, 0x01, 0x30});
  EXPECT_EQ(run.notes[1], "page full; not printed");
  EXPECT_EQ(run.notes[2], "printed 8184x2056 (normal)");
}

TEST(PrinterModel, FeedsAddBlankRowsBetweenPictures) {
  Printer printer;
  const Effects run = Apply(printer, kDefineSmall + Bytes{0x1C, 0x70, 0x01, 0x30, 0x0A, 0x0A, 0x0D,
                                                      0x1C, 0x70, 0x01, 0x30} + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(run.pages[0].height, 8 + 3 * kLineFeedDots + 8);
  EXPECT_TRUE(run.pages[0].At(0, 8 + 3 * kLineFeedDots));
  EXPECT_FALSE(run.pages[0].At(0, 8));
}

}  // namespace
}  // namespace brindle::printer
