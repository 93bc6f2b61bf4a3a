// Start-up, the port rule, the level and the preview panel.
#include "app/FakeMainHost.h"

namespace brindle::test {
namespace {

TEST_F(AppTest, StartSetsTheDefaults) {
  EXPECT_EQ(Counters(), "Logo Files : 0 / 255|Logo size total : 0 / 250 KBytes|Width : 0|"
                        "Height : 0");
  EXPECT_EQ(host.checked, (std::vector<int>{id::kHalftoneNone, id::kRangeAll, id::kSizeSingle}));
  EXPECT_TRUE(host.readOnly[id::kIpAddress] && host.disabled[id::kUpload]);
  EXPECT_EQ(dlg.level(), 5);
}

// Serial lists only for COM ports, the address only for TCP/IP; no selection
// changes nothing.
TEST_F(AppTest, PortRule) {
  const int cases[][3] = {{2, 0, 0}, {3, 0, 1}, {-1, 0, 1}, {4, 1, 0}, {15, 1, 0}};
  for (const auto& [port, serial, ipWritable] : cases) {
    host.ListSelect(id::kPortList, port);
    dlg.OnPortSelChange();
    EXPECT_EQ(host.disabled[id::kBaudList] + host.disabled[id::kHandshakeList], 2 * !serial);
    EXPECT_EQ(host.readOnly[id::kIpAddress], !ipWritable) << port;
  }
  EXPECT_TRUE(host.readOnly[id::kTcpPort]);
}

// The slider position scaled to 0..10 and truncated; a zero-wide range gives 0.
TEST_F(AppTest, LevelScalesTheSlider) {
  const int cases[][3] = {{10, 10, 10}, {3, 2, 6}, {0, 3, 0}};
  for (const auto& [max, position, level] : cases) {
    host.SliderSetRange(0, max);
    host.SliderSetPos(position);
    dlg.UpdateHalftoneLevel();
    EXPECT_EQ(dlg.level(), level) << max << " " << position;
  }
}

// Beyond 270 x 230 the longer side is scaled to near 270 (wider) or 230.
TEST(PreviewGeometry, DrawnSizes) {
  const int cases[][4] = {{270, 230, 270, 230}, {272, 100, 269, 99}, {200, 460, 100, 230}};
  for (const auto& [w, h, drawnW, drawnH] : cases) {
    EXPECT_EQ(PreviewDrawnSize(w, h), (Size{drawnW, drawnH})) << w << "x" << h;
  }
}

// Both halves are drawn at the left picture's size; what a larger picture
// left is cleared.
TEST_F(AppTest, PaintingASmallerPictureClearsTheLeftovers) {
  host.sizes = {{"/b", {300, 290}}, {"/s", {100, 260}}, {"/cwd/Temp.bmp", {1, 1}}};
  dlg.ShowPicture("/b");
  dlg.PaintPreview();
  host.log.clear();
  dlg.ShowPicture("/s");
  dlg.PaintPreview();
  EXPECT_EQ(host.log, (Strings{"load 0,/s", "load 1,/cwd/Temp.bmp", "refresh", "invalidate",
                               "stretch 0,370,28,458,258,100,260",
                               "stretch 1,704,28,792,258,100,260", "fill 458,28,640,289",
                               "fill 370,258,640,289", "fill 792,28,974,289",
                               "fill 704,258,974,289"}));
}

// Nothing is drawn without a left picture or after a failed conversion; a
// picture that does not load keeps the old one.
TEST_F(AppTest, FailedLoadsKeepTheOldPictures) {
  host.log.clear();
  host.sizes = {{"/cwd/Temp.bmp", {8, 8}}};
  dlg.ShowPicture("/a");
  dlg.PaintPreview();
  host.sizes = {{"/a", {8, 8}}};
  dlg.ShowPicture("/a");
  host.sizes["/cwd/Temp.bmp"] = {8, 8};
  dlg.ShowPicture("/gone");
  EXPECT_EQ(host.log, (Strings{"load 0,/a", "load 1,/cwd/Temp.bmp", "load 0,/a",
                               "load 1,/cwd/Temp.bmp", "load 0,/gone", "load 1,/cwd/Temp.bmp",
                               "refresh", "invalidate"}));
  EXPECT_EQ(host.picture[0], "/a");
}

// Each halftone choice converts the shown picture again with its mode and the
// slider's level of that moment.
TEST_F(AppTest, HalftoneChoicesConvertAgain) {
  dlg.ShowPicture("/a");
  host.SliderSetPos(8);
  dlg.OnHalftoneDiffusion();
  host.SliderSetPos(2);
  dlg.OnLevelReleased();
  dlg.OnHalftoneNone();
  EXPECT_EQ(ctrl.log, (Strings{"MakePreviewFile /a,0,5", "MakePreviewFile /a,1,8",
                               "MakePreviewFile /a,1,2", "MakePreviewFile /a,0,2"}));
}

}  // namespace
}  // namespace brindle::test
