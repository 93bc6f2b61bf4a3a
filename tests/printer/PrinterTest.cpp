// The printer model: what each command does to the NV set, the Dot logo
// and the paper, checked against hand-drawn pages.
#include <gtest/gtest.h>

#include "printer/TestStreams.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

using namespace test;

// What a stream did: the printer's note on each command, the cut pages,
// the bytes sent back and the dot rows printed or fed (its time).
struct Effects {
  Strings notes;
  std::vector<Raster> pages;
  Bytes replies;
  std::uint64_t rows = 0;
};

Effects Apply(Printer& printer, const Bytes& stream) {
  Effects run;
  for (const Command& c : DecodeAll(stream)) {
    Outcome o = printer.Apply(c);
    run.notes.push_back(o.note);
    run.replies = run.replies + o.reply;
    run.rows += o.rows;
    if (o.page) run.pages.push_back(*o.page);
  }
  return run;
}

const Bytes kDefineSmall = Bytes{0x1C, 0x71, 0x01} + kSmallBlock;
const Bytes kCut{0x1D, 0x56, 0x42, 0x01};

// FS p in each size mode, by its digit and by its character: the page is
// the image scaled 2x in the named direction.
TEST(PrinterModel, PrintsNvImageInEachSizeMode) {
  const std::string edge = "##..............";
  struct Case { Raster page; const char* note; };
  const Case cases[] = {
      {SmallImage(), "printed 8x8 (normal)"},
      {Picture({{1, "##............##"}, {6, edge}, {1, "######.........."}}),
       "printed 16x8 (double width)"},
      {Picture({{2, "#......#"}, {12, "#......."}, {2, "###....."}}),
       "printed 8x16 (double height)"},
      {Picture({{2, "##............##"}, {12, edge}, {2, "######.........."}}),
       "printed 16x16 (double width and height)"},
  };
  for (std::uint8_t m = 0; m < 4; ++m) {
    for (const std::uint8_t mode : {m, static_cast<std::uint8_t>('0' + m)}) {
      Printer printer;
      const Effects run = Apply(printer, kDefineSmall + Bytes{0x1C, 0x70, 0x01, mode} + kCut);
      ASSERT_EQ(run.pages.size(), 1u) << int(mode);
      EXPECT_EQ(Draw(run.pages[0]), Draw(cases[m].page)) << int(mode);
      EXPECT_EQ(run.notes[1], cases[m].note);
      EXPECT_EQ(run.rows, m < 2 ? 8u : 16u);
    }
  }
}

// "All": 255 FS p commands print the stored images, in number order, one
// below the other, and skip the numbers that hold nothing.
TEST(PrinterModel, AllPrintsOnlyTheStoredImages) {
  Bytes stream = Bytes{0x1C, 0x71, 0x02} + kSmallBlock + StairBlock();
  for (int n = 1; n <= 255; ++n) stream = stream + Bytes{0x1C, 0x70, std::uint8_t(n), 0x30};
  Printer printer;
  const Effects run = Apply(printer, stream + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  const Raster small = Picture({{1, "#......#........"}, {6, "#..............."},
                                {1, "###............."}});
  EXPECT_EQ(Draw(run.pages[0]), Draw(small) + Draw(Stair()));
  EXPECT_EQ(run.notes[3], "image 3 not stored");
  EXPECT_EQ(run.notes[255], "image 255 not stored");
}

// FS e empties the set; a new FS q replaces the whole set, but one cut off
// or rejected leaves it as it was.
TEST(PrinterModel, EraseAndOnlyACompleteDefineChangeTheSet) {
  Printer printer;
  Apply(printer, kDefineSmall);
  EXPECT_EQ(Apply(printer, Bytes{0x1C, 0x65, 0x1C, 0x70, 0x01, 0x30} + kCut).notes,
            (Strings{"erased 1 image", "image 1 not stored", "nothing printed; no page"}));
  EXPECT_TRUE(printer.Nv().empty());

  Apply(printer, Bytes{0x1C, 0x71, 0x02} + kSmallBlock + StairBlock());
  const std::vector<NvImage> two = printer.Nv();
  ASSERT_EQ(two.size(), 2u);
  for (const Bytes& refused : {Bytes{0x1C, 0x71, 0x02} + StairBlock() + Bytes{0x01, 0x00, 0x01},
                               Bytes{0x1C, 0x71, 0x01, 0x00, 0x00, 0x01, 0x00}}) {
    EXPECT_EQ(Apply(printer, refused).notes, Strings{"NV memory unchanged"});
    EXPECT_EQ(printer.Nv(), two);
  }
  EXPECT_EQ(Apply(printer, Bytes{0x1C, 0x71, 0x01} + StairBlock()).notes,
            Strings{"stored 1 image"});
  ASSERT_EQ(printer.Nv().size(), 1u);
  EXPECT_EQ(Draw(printer.Nv()[0].ToRaster()), Draw(Stair()));
}

// GS I 1, 2 and 3 (or 49, 50, 51) answer model, type and ROM version as
// set up; an empty answer and other kinds get none.
TEST(PrinterModel, AnswersIdentityRequestsAsSetUp) {
  PrinterSetup custom;
  custom.model = {0x0D, 0x0A};
  custom.type = {};
  custom.version = {0x41, 0x42};
  const PrinterSetup standard;
  struct Case { const PrinterSetup& setup; std::uint8_t n; Bytes expected; const char* note; };
  const char* const others = "no reply (only GS I 1, 2 and 3 are answered)";
  const Case cases[] = {
      {standard, 1, {0x20}, "replied 20"},     {standard, 50, {0x02}, "replied 02"},
      {custom, 49, {0x0D, 0x0A}, "replied 0D 0A"}, {custom, 2, {}, "no reply"},
      {custom, 51, {0x41, 0x42}, "replied 41 42"}, {standard, 4, {}, others},
  };
  for (const Case& c : cases) {
    Printer printer(c.setup);
    const Effects run = Apply(printer, Bytes{0x1D, 0x49, c.n});
    EXPECT_EQ(run.replies, c.expected) << c.note;
    EXPECT_EQ(run.notes, Strings{c.note});
  }
}

// The Dot printout (ESC o 1, seven CR LF, ESC m) prints the stored logo
// and feeds seven lines of 30 dots; CR LF is one line, not two.
TEST(PrinterModel, DotLogoIsStoredBandByBandAndPrinted) {
  Printer printer;
  Apply(printer, DotExample());
  Bytes printout{0x1B, 0x6F, 0x01};
  for (int i = 0; i < 7; ++i) printout = printout + Bytes{0x0D, 0x0A};
  const Effects run = Apply(printer, printout + Bytes{0x1B, 0x6D});
  ASSERT_EQ(run.pages.size(), 1u);
  const std::string dots(304, '#'), paper(304, '.');
  EXPECT_TRUE(run.pages[0] ==
              Picture({{1, dots}, {7, paper}, {8, dots}, {7, paper}, {1, dots}, {7 * 30, paper}}));
}

// Bands need ESC o 0 first (the definition ends with the connection) and
// may come in any order.
TEST(PrinterModel, DotBandsNeedADefinitionAndMayComeInAnyOrder) {
  const Bytes band2{0x1B, 0x58, 0x2A, 0x02, 0x1B, 0x2A, 0x01, 0x02, 0x00, 0x80, 0x01};
  const Bytes band0{0x1B, 0x58, 0x2A, 0x00, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0xFF};
  Printer printer;
  EXPECT_EQ(Apply(printer, Bytes{0x1B, 0x6F, 0x01} + band0).notes,
            (Strings{"no Dot logo stored", "no ESC o 0 before it; ignored"}));
  const Effects run =
      Apply(printer, Bytes{0x1B, 0x6F, 0x00} + band2 + band0 + Bytes{0x1B, 0x6F, 0x01} + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(Draw(run.pages[0]),
            Draw(Picture({{8, "#."}, {8, ".."}, {1, "#."}, {6, ".."}, {1, ".#"}})));
  printer.EndConnection();
  EXPECT_EQ(Apply(printer, band0).notes, Strings{"no ESC o 0 before it; ignored"});
}

// Unknown size modes, missing images and pages beyond their bounds print
// nothing; feeds add blank rows of 30 dots between pictures.
TEST(PrinterModel, RefusesWhatItCannotPrintAndFeedsBetweenPictures) {
  Printer printer;
  const Bytes print{0x1C, 0x70, 0x01, 0x30};
  Effects run = Apply(printer, kDefineSmall + Bytes{0x1C, 0x70, 0x01, 0x34, 0x1C, 0x70, 0, 0x30});
  EXPECT_EQ(run.notes, (Strings{"stored 1 image", "size mode 52 unknown; nothing printed",
                                "image 0 not stored"}));
  EXPECT_FALSE(printer.paper().HasPrint());

  // 2048 x 1024 dots (2 M) fit a page, taking four passes of the head;
  // doubled (8 M) they do not, nor do the rows fed past the page's 4 M dots.
  const Bytes big = Bytes{0x1C, 0x71, 0x01, 0x00, 0x01, 0x80, 0x00} + Repeat(0x0F, 256 * 128 * 8);
  run = Apply(printer, big + Bytes{0x1C, 0x70, 0x01, 0x33} + print + Repeat(0x0A, 40));
  EXPECT_EQ(run.notes[1], "page full; not printed");
  EXPECT_EQ(run.notes[2], "printed 2048x1024 (normal)");
  EXPECT_EQ(run.rows, 4 * 1024 + 1024u);
  EXPECT_EQ(printer.paper().Rows(), 2048);

  Printer fresh;
  run = Apply(fresh, kDefineSmall + print + Bytes{0x0A, 0x0A, 0x0D} + print + kCut);
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(run.rows, 8 + 3 * 30 + 8u);
  EXPECT_EQ(Draw(run.pages[0]),
            Draw(SmallImage()) + Draw(Picture({{90, "........"}})) + Draw(SmallImage()));
}

}  // namespace
}  // namespace brindle::printer
