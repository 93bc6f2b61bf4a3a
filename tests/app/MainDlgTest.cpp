// Start-up, the port rule, the level, the preview panel and the logo list.
#include <algorithm>

#include "app/FakeMainHost.h"

namespace brindle::test {
namespace {

using Rows = std::vector<Strings>;
using enum MsgIcon;

TEST_F(AppTest, StartSetsTheDefaults) {
  EXPECT_EQ(host.checked, (std::vector<int>{id::kHalftoneNone, id::kRangeAll, id::kSizeSingle}));
  EXPECT_TRUE(host.readOnly[id::kIpAddress] && host.readOnly[id::kTcpPort]);
  EXPECT_TRUE(host.disabled[id::kUpload]);
  EXPECT_EQ(Counters(), "Logo Files : 0 / 255|Logo size total : 0 / 250 KBytes|Width : 0|"
                        "Height : 0");
}

// Serial lists only for COM ports, the address only for TCP/IP; none: no change.
TEST_F(AppTest, PortRule) {
  const int cases[][3] = {{2, 0, 0}, {3, 0, 1}, {-1, 0, 1}, {4, 1, 0}};
  for (const auto& [port, serial, ipWritable] : cases) {
    host.ListSelect(id::kPortList, port);
    dlg.OnPortSelChange();
    EXPECT_EQ(host.disabled[id::kBaudList] + host.disabled[id::kHandshakeList], 2 * !serial);
    EXPECT_EQ(host.readOnly[id::kIpAddress], !ipWritable) << port;
  }
}

// Both halves drawn at the left size, scaled to fit, and a larger picture's rest
// cleared; nothing repainted after a failed conversion, no right half without one.
TEST_F(AppTest, PaintingThePreview) {
  host.sizes = {{"/b", {300, 290}}, {"/s", {100, 260}}};
  dlg.ShowPicture("/b");
  dlg.PaintPreview();
  host.sizes["/cwd/Temp.bmp"] = {1, 1};
  dlg.ShowPicture("/s");
  dlg.PaintPreview();
  EXPECT_EQ(Strings(host.calls.begin() + 4, host.calls.end()),
            (Strings{"load 0,/b", "load 1,/cwd/Temp.bmp", "stretch 0,370,28,640,289,300,290",
                     "load 0,/s", "load 1,/cwd/Temp.bmp", "refresh", "invalidate",
                     "stretch 0,370,28,458,258,100,260", "stretch 1,704,28,792,258,100,260",
                     "fill 458,28,640,289", "fill 370,258,640,289", "fill 792,28,974,289",
                     "fill 704,258,974,289"}));
}

// Pictures within 270 x 230 keep their size.
TEST(PreviewGeometry, Unscaled) { EXPECT_EQ(PreviewDrawnSize(100, 50), (Size{100, 50})); }

// Each halftone choice converts again with its mode and the level of that
// moment: the slider scaled to 0..10, truncated; 0 for a zero-wide slider.
TEST_F(AppTest, HalftoneChoicesConvertAgain) {
  dlg.ShowPicture("/a");
  host.SliderSetRange(0, 3);
  host.SliderSetPos(2);
  dlg.OnHalftoneDiffusion();
  host.SliderSetPos(3);
  dlg.OnLevelReleased();
  host.SliderSetRange(0, 0);
  dlg.OnHalftoneNone();
  EXPECT_EQ(ctrl.calls, (Strings{"MakePreviewFile /a,0,5", "MakePreviewFile /a,1,6",
                               "MakePreviewFile /a,1,10", "MakePreviewFile /a,0,0"}));
}

// Rows numbered from 1, a file twice in two; a refused file changes only the preview.
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
  const ShownMessage refused = Box("Out of range bitmap file.", "Error", Stop);
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{refused, refused}));
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile /l/huge.bmp,0,5");
  EXPECT_FALSE(host.disabled[id::kUpload]);
  dlg.UpdateCounters(0, 999000);  // kilobytes of 1000 bytes
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 999 / 250 KBytes");
}

// A cancelled dialog adds nothing; after 255 logos "Open file" shows no dialog.
// The dialog offers every logo picture kind first, then BMP files alone.
TEST_F(AppTest, TheListHoldsUpTo255Logos) {
  dlg.OnOpenFile();
  EXPECT_EQ(host.filter,
            "Logo pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)|*.bmp;*.BMP;*.png;*.PNG;*.jpg;*.JPG;"
            "*.jpeg;*.JPEG;*.gif;*.GIF|Bitmap Images (*.bmp)|*.bmp;*.BMP");
  for (int i = 0; i < 255; ++i) Open("l.bmp", 8, 8);
  EXPECT_TRUE(host.messages.shown.empty());
  dlg.OnOpenFile();
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "dialog"), 256);
  EXPECT_EQ(host.messages.shown.at(0), Box("Don't read files any more.", "Open", Exclamation));
  EXPECT_EQ(dlg.logoCount(), 255);
}

// A click shows a row's logo; Remove and Reset ask, renumber or empty the list.
TEST_F(AppTest, ChoosingRemovingAndResetting) {
  Open("a.bmp", 8, 8);
  Open("b.bmp", 16, 16);
  Open("c.bmp");
  const std::size_t before = ctrl.calls.size();
  for (int mark : {-1, 3, 1}) {  // no row and past the end show nothing
    host.mark = mark;
    dlg.OnListClick();
  }
  EXPECT_EQ(Strings(ctrl.calls.begin() + before, ctrl.calls.end()),
            Strings{"MakePreviewFile /l/b.bmp,0,5"});
  host.messages.answers = {MsgAnswer::No};
  dlg.OnRemove();
  dlg.OnRemove();
  EXPECT_EQ(host.rows, (Rows{{"0", "1", "a.bmp", "8"}, {"1", "2", "c.bmp", "728"}}));
  EXPECT_EQ(dlg.LogoPathList() + std::to_string(dlg.totalSize()), "/l/a.bmp|/l/c.bmp|736");
  const string empty = "Logo Files : 0 / 255|Logo size total : 0 / 250 KBytes|Width : 16|"
                       "Height : 16";
  EXPECT_EQ(Counters(), "Logo Files : 2" + empty.substr(14));
  for (int mark : {-1, 2, 1, 0}) {  // no row, past the end, then each row
    host.mark = mark;
    dlg.OnRemove();
  }
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
  const ShownMessage ask = Box("Do you want to remove the selection?", "Remove", Question),
                     reset = Box("Do you want to remove all of the selection?", "Remove", Question);
  const ShownMessage none = Box("There is no selected Item", "Remove", Stop);
  EXPECT_EQ(host.messages.shown, (std::vector<ShownMessage>{ask, ask, ask, none, ask, none, ask,
                                                            ask, reset, reset}));
}

}  // namespace
}  // namespace brindle::test
