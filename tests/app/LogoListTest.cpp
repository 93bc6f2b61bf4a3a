// The logo list: adding, refusing, choosing, removing and resetting.
#include <algorithm>

#include "app/FakeMainHost.h"

namespace brindle::test {
namespace {

using Rows = std::vector<Strings>;

// Rows are numbered from 1 (the same file twice gives two); a file that does
// not load or fit the device is refused and changes only the preview.
TEST_F(AppTest, AddingAndRefusingLogos) {
  Open("s.bmp");
  Open("b.bmp", 8, 8);
  Open("s.bmp");
  host.chosen.push_back("/l/none.bmp");
  dlg.OnOpenFile();
  Open("huge.bmp", 600, 100);
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "s.bmp", "728"}, {"1", "2", "b.bmp", "8"},
                             {"2", "3", "s.bmp", "728"}}));
  EXPECT_EQ(Counters(), "Logo Files : 3 / 255|Logo size total : 1 / 250 KBytes|Width : 100|"
                        "Height : 50");
  EXPECT_EQ(dlg.LogoPathList(), "/l/s.bmp|/l/b.bmp|/l/s.bmp|");
  const ShownMessage refused{"Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop};
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{refused, refused}));
  EXPECT_EQ(ctrl.log.back(), "MakePreviewFile /l/huge.bmp,0,5");
  EXPECT_FALSE(host.disabled[id::kUpload]);
  dlg.UpdateCounters(0, 255999);  // kilobytes of 1000 bytes
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 255 / 250 KBytes");
}

// A cancelled dialog adds nothing; after the 255th logo "Open file" refuses
// without a dialog.
TEST_F(AppTest, TheListHoldsUpTo255Logos) {
  dlg.OnOpenFile();
  for (int i = 0; i < 255; ++i) Open("l.bmp", 8, 8);
  EXPECT_TRUE(host.messages.shown.empty());
  dlg.OnOpenFile();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "dialog"), 256);
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{{"Don't read files any more.", "Open",
                                                             MsgButtons::Ok, MsgIcon::Exclamation}}));
  EXPECT_EQ(dlg.logoCount(), 255);
}

// A click on a row shows its picture and sizes. Remove asks, needs a row,
// renumbers the rest and keeps the preview; removing the last logo clears the
// counters and the operations. Reset asks, then empties the list.
TEST_F(AppTest, ChoosingRemovingAndResetting) {
  Open("a.bmp", 8, 8);
  Open("b.bmp", 16, 16);
  Open("c.bmp");
  for (int mark : {-1, 3, 1}) {
    host.mark = mark;
    dlg.OnListClick();
  }
  EXPECT_EQ(ctrl.log.back(), "MakePreviewFile /l/b.bmp,0,5");
  host.messages.answers = {MsgAnswer::No};
  dlg.OnRemove();
  dlg.OnRemove();
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "a.bmp", "8"}, {"1", "2", "c.bmp", "728"}}));
  EXPECT_EQ(Counters(), "Logo Files : 2 / 255|Logo size total : 0 / 250 KBytes|Width : 16|"
                        "Height : 16");
  EXPECT_EQ(dlg.totalSize(), 736);
  EXPECT_EQ(dlg.LogoPathList(), "/l/a.bmp|/l/c.bmp|");
  for (int mark : {2, 1, 0}) {  // 2 is past the end
    host.mark = mark;
    dlg.OnRemove();
  }
  const string empty = "Logo Files : 0 / 255|Logo size total : 0 / 250 KBytes|Width : 16|"
                       "Height : 16";
  EXPECT_TRUE(host.rows.empty() && host.disabled[id::kRemove]);
  EXPECT_EQ(Counters(), empty);
  EXPECT_EQ(dlg.previewPath(), "/l/b.bmp");
  Open("d.bmp", 16, 16);
  host.messages.answers = {MsgAnswer::No};
  dlg.OnReset();
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "d.bmp", "32"}}));
  dlg.OnReset();
  EXPECT_TRUE(host.rows.empty() && host.disabled[id::kErase]);
  EXPECT_EQ(Counters(), empty);
  Open("e.bmp", 8, 8);
  EXPECT_EQ(dlg.LogoPathList() + std::to_string(dlg.totalSize()), "/l/e.bmp|8");
  const ShownMessage ask{"Do you want to remove the selection?", "Remove", MsgButtons::YesNo,
                         MsgIcon::Question},
      reset{"Do you want to remove all of the selection?", "Remove", MsgButtons::YesNo,
            MsgIcon::Question};
  EXPECT_EQ(host.messages.shown,
            (std::vector<ShownMessage>{
                ask, ask, ask, {"There is no selected Item", "Remove", MsgButtons::Ok, MsgIcon::Stop},
                ask, ask, reset, reset}));
}

}  // namespace
}  // namespace brindle::test
