// The preview panel's logic: drawn sizes, strips to clear, and which
// handlers convert again with which mode and level.
#include <gtest/gtest.h>

#include "app/FakeMainHost.h"
#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "app/PreviewGeometry.h"

namespace brindle {
namespace {

using test::FakeMainHost;
using test::FakeUploadCtrl;

TEST(PreviewGeometry, DrawnSizes) {
  const struct {
    int w, h, dw, dh;
  } cases[] = {{200, 100, 200, 100}, {540, 200, 270, 100}, {272, 100, 269, 99},
               {200, 460, 100, 230}, {300, 290, 270, 261}, {260, 240, 270, 249},
               {234, 234, 229, 229}, {270, 230, 270, 230}, {1, 1, 1, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewDrawnSize(c.w, c.h), (Size{c.dw, c.dh})) << c.w << "x" << c.h;
  }
}

TEST(PreviewGeometry, StripsLeftByALargerPicture) {
  EXPECT_EQ(PreviewStripsToClear(370, {200, 150}, {100, 100}),
            (std::vector<Rect>{{470, 28, 570, 178}, {370, 128, 570, 178}}));
  EXPECT_EQ(PreviewStripsToClear(704, {200, 150}, {100, 100}),
            (std::vector<Rect>{{804, 28, 904, 178}, {704, 128, 904, 178}}));
  EXPECT_TRUE(PreviewStripsToClear(370, {100, 100}, {200, 150}).empty());
  EXPECT_EQ(PreviewStripsToClear(370, {100, 150}, {200, 100}),
            (std::vector<Rect>{{370, 128, 570, 178}}));
}

struct PreviewFixture : ::testing::Test {
  FakeMainHost host;
  FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent"};
  void SetUp() override {
    dlg.OnInitDialog();
    ctrl.bitmaps["/p/big.bmp"] = {24, 150, 200};
    ctrl.bitmaps["/p/small.bmp"] = {24, 100, 100};
    ctrl.bitmaps["/p/mono.bmp"] = {1, 20, 40};
    host.pictureSizes["/p/big.bmp"] = {200, 150};
    host.pictureSizes["/p/small.bmp"] = {100, 100};
    host.pictureSizes["/p/mono.bmp"] = {40, 20};
    host.pictureSizes["/cwd/Temp.bmp"] = {200, 150};
  }
};

TEST_F(PreviewFixture, PaintingASmallerPictureClearsTheLeftoversInBothHalves) {
  dlg.ShowPicture("/p/big.bmp");
  dlg.PaintPreview();
  host.stretches.clear();
  dlg.ShowPicture("/p/small.bmp");
  dlg.PaintPreview();
  using S = FakeMainHost::Stretch;
  EXPECT_EQ(host.stretches,
            (std::vector<S>{{PreviewSide::Left, {370, 28, 470, 128}, {100, 100}},
                            {PreviewSide::Right, {704, 28, 804, 128}, {100, 100}}}));
  EXPECT_EQ(host.fills, (std::vector<Rect>{{470, 28, 570, 178},
                                           {370, 128, 570, 178},
                                           {804, 28, 904, 178},
                                           {704, 128, 904, 178}}));
}

TEST_F(PreviewFixture, HalftoneHandlersReconvertThePreviewWithModeAndLevel) {
  dlg.ShowPicture("/p/big.bmp");
  host.SliderSetPos(8);
  dlg.OnHalftoneDiffusion();
  EXPECT_EQ(dlg.halftoneMode(), 1);
  EXPECT_EQ(dlg.level(), 8);
  host.SliderSetPos(2);
  dlg.OnLevelReleased();
  dlg.OnHalftoneNone();
  EXPECT_EQ(ctrl.calls, (std::vector<std::string>{
                            "MakePreviewFile /p/big.bmp,0,5", "MakePreviewFile /p/big.bmp,1,8",
                            "MakePreviewFile /p/big.bmp,1,2", "MakePreviewFile /p/big.bmp,0,2"}));
  EXPECT_EQ(host.events.back(), "invalidate");
}

TEST_F(PreviewFixture, DiffusionWithNoPictureChangesOnlyTheMode) {
  dlg.OnHalftoneDiffusion();
  EXPECT_EQ(dlg.halftoneMode(), 1);
  EXPECT_FALSE(host.PreviewHasPicture(PreviewSide::Left));
  dlg.PaintPreview();
  EXPECT_TRUE(host.stretches.empty());
  EXPECT_TRUE(host.fills.empty());
}

TEST_F(PreviewFixture, AFailedLoadOnEitherSideKeepsTheOldPicture) {
  dlg.ShowPicture("/p/big.bmp");
  dlg.ShowPicture("/p/missing.bmp");
  EXPECT_EQ(host.picture[0], "/p/big.bmp");
  EXPECT_EQ(host.picture[1], "/cwd/Temp.bmp");
  EXPECT_EQ(dlg.previewPath(), "/p/missing.bmp");

  host.pictureSizes.erase("/cwd/Temp.bmp");  // the converted file does not load
  const auto events = host.events.size();
  dlg.ShowPicture("/p/small.bmp");
  EXPECT_EQ(host.picture[0], "/p/small.bmp");
  EXPECT_EQ(host.picture[1], "/cwd/Temp.bmp");
  // Nothing repainted after the failed right-hand load.
  EXPECT_EQ(host.events.back(), "load-right /cwd/Temp.bmp");
  EXPECT_GT(host.events.size(), events);
}

TEST_F(PreviewFixture, AOneBitLogoShowsTheSameFileOnBothSides) {
  dlg.ShowPicture("/p/mono.bmp");
  dlg.OnHalftoneDiffusion();
  EXPECT_EQ(host.picture[0], "/p/mono.bmp");
  EXPECT_EQ(host.picture[1], "/p/mono.bmp");
}

}  // namespace
}  // namespace brindle
