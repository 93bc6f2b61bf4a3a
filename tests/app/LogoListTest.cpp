// The logo list: adding, refusing, removing, resetting and choosing rows.
#include "app/FakeMainHost.h"
#include "res/ControlIds.h"

namespace brindle::test {
namespace {

using Rows = std::vector<Strings>;
const ShownMessage kAskRemove{"Do you want to remove the selection?", "Remove",
                              MsgButtons::YesNo, MsgIcon::Question};

// The same file twice gives two rows; kilobytes are of 1000 bytes.
TEST_F(AppTest, AddingShowsRowsCountersAndSizes) {
  Open("shop.bmp", 100, 50);
  Open("b.bmp", 8, 8);
  Open("shop.bmp", 100, 50);
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "shop.bmp", "728"}, {"1", "2", "b.bmp", "8"},
                             {"2", "3", "shop.bmp", "728"}}));
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 3 / 255");
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 1 / 250 KBytes");
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 100");
  EXPECT_EQ(host.texts[id::kHeightText], "Height : 50");
  EXPECT_FALSE(host.disabled[id::kUpload]);
  EXPECT_EQ(dlg.previewPath(), "/l/shop.bmp");
  EXPECT_EQ(dlg.LogoPathList(), "/l/shop.bmp|/l/b.bmp|/l/shop.bmp|");
  dlg.UpdateCounters(300, 255999);
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 255 / 250 KBytes");
}

// A file that does not load or does not fit the device is refused and
// changes nothing but the preview.
TEST_F(AppTest, RefusedFilesOnlyChangeThePreview) {
  Open("good.bmp");
  const auto rows = host.rows;
  const auto texts = host.texts;
  host.chosen.push_back("/l/none.bmp");
  dlg.OnOpenFile();
  Open("huge.bmp", 600, 100);
  const ShownMessage refused{"Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop};
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{refused, refused}));
  EXPECT_EQ(host.rows, rows);
  EXPECT_EQ(host.texts, texts);
  EXPECT_EQ(dlg.logoCount(), 1);
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile /l/huge.bmp,0,5");
}

// A cancelled dialog adds nothing; the 255th logo is the last, and the next
// "Open file" refuses without a dialog.
TEST_F(AppTest, TheListHoldsUpTo255Logos) {
  dlg.OnOpenFile();
  for (int i = 0; i < 255; ++i) Open("l.bmp", 8, 8);
  EXPECT_TRUE(host.messages.shown.empty());
  dlg.OnOpenFile();
  EXPECT_EQ(host.fileDialogs, 256);
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{{"Don't read files any more.", "Open",
                                                             MsgButtons::Ok, MsgIcon::Exclamation}}));
  EXPECT_EQ(dlg.logoCount(), 255);
}

// Removing renumbers the rows and keeps the preview; removing the last logo
// clears the counters and disables the operations.
TEST_F(AppTest, RemovingLogos) {
  Open("a.bmp", 8, 8);
  Open("b.bmp", 16, 16);
  Open("c.bmp");
  host.mark = 1;
  dlg.OnListClick();
  dlg.OnRemove();
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "a.bmp", "8"}, {"1", "2", "c.bmp", "728"}}));
  EXPECT_EQ(dlg.totalSize(), 736);
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 2 / 255");
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 16");
  EXPECT_EQ(dlg.LogoPathList(), "/l/a.bmp|/l/c.bmp|");
  for (int mark : {1, 0}) {
    host.mark = mark;
    dlg.OnRemove();
  }
  EXPECT_TRUE(host.rows.empty());
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 0 / 250 KBytes");
  EXPECT_TRUE(host.disabled[id::kRemove]);
  EXPECT_EQ(dlg.previewPath(), "/l/b.bmp");
}

TEST_F(AppTest, RemoveAsksFirstAndNeedsARow) {
  Open("a.bmp");
  host.messages.answers = {MsgAnswer::No};
  host.mark = 0;
  dlg.OnRemove();
  host.mark = 1;  // past the end
  dlg.OnRemove();
  EXPECT_EQ(host.messages.shown,
            (std::vector<ShownMessage>{kAskRemove, kAskRemove,
                                       {"There is no selected Item", "Remove", MsgButtons::Ok,
                                        MsgIcon::Stop}}));
  EXPECT_EQ(dlg.logoCount(), 1);
}

TEST_F(AppTest, ResetAsksThenEmptiesTheListButKeepsThePreview) {
  Open("a.bmp");
  host.messages.answers = {MsgAnswer::No};
  dlg.OnReset();
  EXPECT_EQ(dlg.logoCount(), 1);
  dlg.OnReset();
  EXPECT_EQ(host.messages.shown.back(),
            (ShownMessage{"Do you want to remove all of the selection?", "Remove",
                          MsgButtons::YesNo, MsgIcon::Question}));
  EXPECT_TRUE(host.rows.empty());
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 0 / 255");
  EXPECT_TRUE(host.disabled[id::kErase]);
  EXPECT_EQ(dlg.previewPath(), "/l/a.bmp");
  Open("b.bmp", 8, 8);
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "b.bmp", "8"}}));
  EXPECT_EQ(dlg.totalSize(), 8);
}

// Clicking a row shows its picture and sizes; no row or none, nothing.
TEST_F(AppTest, ClickingARowShowsItsPicture) {
  Open("a.bmp", 8, 8);
  Open("b.bmp");
  host.events.clear();
  for (int mark : {-1, 2}) {
    host.mark = mark;
    dlg.OnListClick();
  }
  EXPECT_TRUE(host.events.empty());
  host.mark = 0;
  dlg.OnListClick();
  EXPECT_EQ(host.texts[id::kWidthText] + host.texts[id::kHeightText], "Width : 8Height : 8");
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile /l/a.bmp,0,5");
}

}  // namespace
}  // namespace brindle::test
