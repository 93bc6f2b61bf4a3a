// Start-up, the port rule, the level, the ways to end and the preview panel.
#include "app/FakeMainHost.h"
#include "res/ControlIds.h"

namespace brindle::test {
namespace {

TEST_F(AppTest, StartShowsTheSplashForASecondThenTheDefaults) {
  EXPECT_EQ(host.events, (Strings{"icons", "splash", "wait 1000", "unsplash"}));
  EXPECT_EQ(host.texts, (std::map<int, std::string>{
                            {id::kTcpPort, "9100"},
                            {id::kFileCounter, "Logo Files : 0 / 255"},
                            {id::kSizeCounter, "Logo size total : 0 / 250 KBytes"},
                            {id::kHeightText, "Height : 0"},
                            {id::kWidthText, "Width : 0"}}));
  EXPECT_EQ(host.checked, (std::vector<int>{id::kHalftoneNone, id::kRangeAll, id::kSizeSingle}));
  EXPECT_TRUE(host.readOnly[id::kIpAddress]);
  EXPECT_TRUE(host.disabled[id::kUpload]);
  EXPECT_EQ(dlg.level(), 5);
}

// Serial lists only for COM ports, the address only for TCP/IP; no
// selection changes nothing.
TEST_F(AppTest, PortRule) {
  const struct {
    int port;
    bool serial, ipWritable;
  } cases[] = {{2, false, false}, {3, false, true}, {-1, false, true}, {4, true, false},
               {15, true, false}};
  for (const auto& c : cases) {
    host.ListSelect(id::kPortList, c.port);
    dlg.OnPortSelChange();
    EXPECT_EQ(!host.disabled[id::kBaudList], c.serial) << c.port;
    EXPECT_EQ(!host.disabled[id::kHandshakeList], c.serial) << c.port;
    EXPECT_EQ(!host.readOnly[id::kIpAddress], c.ipWritable) << c.port;
    EXPECT_TRUE(host.readOnly[id::kTcpPort]);
  }
}

TEST_F(AppTest, BaudCodeOfEachListedRate) {
  const int codes[] = {4, 5, 6, 7, 8, 10};  // 2400 ... 115200 bps
  for (int i = 0; i < 6; ++i) {
    host.ListSelect(id::kBaudList, i);
    EXPECT_EQ(dlg.GetBaudCode(), codes[i]) << i;
  }
}

// The slider position scaled to 0..10 and truncated; a zero-wide range gives 0.
TEST_F(AppTest, LevelScalesTheSlider) {
  const struct {
    int max, pos, level;
  } cases[] = {{10, 10, 10}, {10, 0, 0}, {3, 2, 6}, {0, 3, 0}};
  for (const auto& c : cases) {
    host.SliderSetRange(0, c.max);
    host.SliderSetPos(c.pos);
    dlg.UpdateHalftoneLevel();
    EXPECT_EQ(dlg.level(), c.level) << c.max << " " << c.pos;
  }
}

// Exit asks the window to close (which saves); Enter and Esc end it at once.
TEST_F(AppTest, WaysToEnd) {
  host.events.clear();
  dlg.OnExit();
  dlg.OnEnterKey();
  dlg.OnEscapeKey();
  EXPECT_EQ(host.events, (Strings{"close-request", "end 1", "end 2"}));
}

// Larger than 270 x 230: the longer side scaled to near 270 (wider) or 230.
TEST(PreviewGeometry, DrawnSizes) {
  const struct {
    int w, h, dw, dh;
  } cases[] = {{270, 230, 270, 230}, {540, 200, 270, 100}, {272, 100, 269, 99},
               {200, 460, 100, 230}, {300, 290, 270, 261}, {234, 234, 229, 229}};
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewDrawnSize(c.w, c.h), (Size{c.dw, c.dh})) << c.w << "x" << c.h;
  }
  EXPECT_TRUE(PreviewStripsToClear(370, {100, 100}, {200, 150}).empty());
  EXPECT_EQ(PreviewStripsToClear(370, {100, 150}, {200, 100}),
            (std::vector<Rect>{{370, 128, 570, 178}}));
}

// Both halves are drawn at the left picture's size, and what a larger
// picture left is cleared.
TEST_F(AppTest, PaintingASmallerPictureClearsTheLeftovers) {
  host.pictureSizes = {{"/p/big", {200, 150}}, {"/p/small", {100, 100}}, {"/cwd/Temp.bmp", {1, 1}}};
  dlg.ShowPicture("/p/big");
  dlg.PaintPreview();
  host.stretches.clear();
  host.events.clear();
  dlg.ShowPicture("/p/small");
  EXPECT_EQ(host.events,
            (Strings{"load-left /p/small", "load-right /cwd/Temp.bmp", "refresh", "invalidate"}));
  dlg.PaintPreview();
  EXPECT_EQ(host.stretches, (std::vector<FakeMainHost::Stretch>{
                                {PreviewSide::Left, {370, 28, 470, 128}, {100, 100}},
                                {PreviewSide::Right, {704, 28, 804, 128}, {100, 100}}}));
  EXPECT_EQ(host.fills, (std::vector<Rect>{{470, 28, 570, 178},
                                           {370, 128, 570, 178},
                                           {804, 28, 904, 178},
                                           {704, 128, 904, 178}}));
}

// A picture that does not load keeps the old one; a conversion that does not
// load repaints nothing; without a picture nothing is painted.
TEST_F(AppTest, FailedLoadsKeepTheOldPictures) {
  host.events.clear();
  dlg.OnHalftoneDiffusion();
  dlg.PaintPreview();
  EXPECT_EQ(host.events, (Strings{"load-right /cwd/Temp.bmp"}));
  EXPECT_TRUE(host.stretches.empty() && host.fills.empty());
  host.pictureSizes = {{"/p/a", {8, 8}}, {"/cwd/Temp.bmp", {8, 8}}};
  dlg.ShowPicture("/p/a");
  dlg.ShowPicture("/p/gone");
  EXPECT_EQ(host.picture[0], "/p/a");
  EXPECT_EQ(dlg.previewPath(), "/p/gone");
  host.pictureSizes.erase("/cwd/Temp.bmp");
  host.events.clear();
  dlg.ShowPicture("/p/a");
  EXPECT_EQ(host.events, (Strings{"load-left /p/a", "load-right /cwd/Temp.bmp"}));
}

// Each halftone choice converts the shown picture again with its mode and the
// slider's level of that moment.
TEST_F(AppTest, HalftoneChoicesConvertAgain) {
  dlg.ShowPicture("/p/a");
  host.SliderSetPos(8);
  dlg.OnHalftoneDiffusion();
  host.SliderSetPos(2);
  dlg.OnLevelReleased();
  dlg.OnHalftoneNone();
  EXPECT_EQ(ctrl.calls, (Strings{"MakePreviewFile /p/a,0,5", "MakePreviewFile /p/a,1,8",
                                 "MakePreviewFile /p/a,1,2", "MakePreviewFile /p/a,0,2"}));
}

}  // namespace
}  // namespace brindle::test
