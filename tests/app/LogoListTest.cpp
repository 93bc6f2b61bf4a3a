// The logo list as an operator uses it: adding, removing, resetting,
// choosing rows, the limits and every message on the way.
#include <gtest/gtest.h>

#include "app/FakeMainHost.h"
#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

using test::FakeMainHost;
using test::FakeUploadCtrl;
using test::ShownMessage;

struct ListFixture : ::testing::Test {
  FakeMainHost host;
  FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent-settings-dir"};

  void SetUp() override { dlg.OnInitDialog(); }

  // Adds /logos/<name> as a 24-bit picture of the given size through the
  // "Open file" button.
  void Open(const std::string& name, int width = 100, int height = 50, int bpp = 24) {
    const std::string path = "/logos/" + name;
    ctrl.bitmaps[path] = {bpp, height, width};
    host.chosenFiles.push_back(path);
    dlg.OnOpenFile();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& row : host.rows) names.push_back(row[2]);
    return names;
  }
  std::vector<std::string> Numbers() const {
    std::vector<std::string> numbers;
    for (const auto& row : host.rows) numbers.push_back(row[1]);
    return numbers;
  }
};

TEST_F(ListFixture, AddingShowsRowCountersSizesAndEnablesOperations) {
  Open("shop.bmp", 100, 50);
  EXPECT_EQ(host.rows, (std::vector<std::vector<std::string>>{{"0", "1", "shop.bmp", "728"}}));
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 1 / 255");
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 0 / 250 KBytes");
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 100");
  EXPECT_EQ(host.texts[id::kHeightText], "Height : 50");
  EXPECT_TRUE(host.IsEnabled(id::kUpload));
  EXPECT_TRUE(host.IsEnabled(id::kSizeDoubleBoth));
  EXPECT_EQ(dlg.previewPath(), "/logos/shop.bmp");
  EXPECT_EQ(dlg.LogoPathList(), "/logos/shop.bmp|");
  ASSERT_EQ(dlg.logoList().size(), 1u);
  EXPECT_EQ(dlg.logoList()[0].colourDepth, 24);
}

TEST_F(ListFixture, TwelveFilesKeepListOrderAndTheSameFileTwiceGivesTwoRows) {
  for (int i = 1; i <= 12; ++i) Open("logo" + std::to_string(i) + ".bmp");
  ASSERT_EQ(host.rows.size(), 12u);
  EXPECT_EQ(host.rows[10], (std::vector<std::string>{"10", "11", "logo11.bmp", "728"}));
  Open("logo1.bmp");
  EXPECT_EQ(dlg.logoCount(), 13);
  EXPECT_EQ(host.rows[12][2], "logo1.bmp");
  EXPECT_EQ(dlg.totalSize(), 13 * 728);
}

TEST_F(ListFixture, CountersShowWholeKilobytesOfOneThousandBytes) {
  FakeMainHost& h = host;
  dlg.UpdateCounters(3, 999);
  EXPECT_EQ(h.texts[id::kSizeCounter], "Logo size total : 0 / 250 KBytes");
  dlg.UpdateCounters(300, 256000);
  EXPECT_EQ(h.texts[id::kFileCounter], "Logo Files : 300 / 255");
  EXPECT_EQ(h.texts[id::kSizeCounter], "Logo size total : 256 / 250 KBytes");
  const struct {
    int w, h;
    int size;
  } sizes[] = {{1, 1, 8}, {8, 8, 8}, {9, 9, 32}, {100, 50, 728}};
  for (const auto& s : sizes) {
    Open("s.bmp", s.w, s.h);
    EXPECT_EQ(host.texts[id::kWidthText], "Width : " + std::to_string(s.w));
    EXPECT_EQ(host.texts[id::kHeightText], "Height : " + std::to_string(s.h));
    EXPECT_EQ(host.rows.back()[3], std::to_string(s.size));
  }
}

TEST_F(ListFixture, RejectedFilesChangeNothingButThePreview) {
  Open("good.bmp");
  const auto rowsBefore = host.rows;
  const auto textsBefore = host.texts;
  host.chosenFiles.push_back("/logos/notabitmap.bmp");  // does not load
  dlg.OnOpenFile();
  Open("huge.bmp", 600, 100);  // wider than the conversion buffers
  EXPECT_EQ(host.messages.shown,
            (std::vector<ShownMessage>{
                {"Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop},
                {"Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop}}));
  EXPECT_EQ(host.rows, rowsBefore);
  EXPECT_EQ(host.texts, textsBefore);
  EXPECT_EQ(dlg.logoCount(), 1);
  EXPECT_EQ(dlg.previewPath(), "/logos/huge.bmp");
  EXPECT_EQ(host.events.back(), "load-right /cwd/Temp.bmp");
}

TEST_F(ListFixture, CancelledDialogChangesNothing) {
  dlg.OnOpenFile();
  EXPECT_EQ(host.fileDialogs, 1);
  // Every kind of logo file first, then the BMP filter.
  EXPECT_EQ(host.fileFilter,
            "Logo pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)|*.bmp;*.BMP;*.png;*.PNG;*.jpg;*.JPG;"
            "*.jpeg;*.JPEG;*.gif;*.GIF|Bitmap Images (*.bmp)|*.bmp;*.BMP");
  EXPECT_TRUE(host.rows.empty());
  EXPECT_EQ(dlg.previewPath(), "");
  EXPECT_FALSE(host.IsEnabled(id::kUpload));
}

TEST_F(ListFixture, The255thFileIsAddedAndTheNextOpenIsRefusedWithoutADialog) {
  for (int i = 0; i < 255; ++i) Open("l.bmp", 8, 8);
  EXPECT_EQ(dlg.logoCount(), 255);
  EXPECT_TRUE(host.messages.shown.empty());
  const int dialogs = host.fileDialogs;
  dlg.OnOpenFile();
  EXPECT_EQ(host.fileDialogs, dialogs);
  EXPECT_EQ(host.messages.shown.back(),
            (ShownMessage{"Don't read files any more.", "Open", MsgButtons::Ok,
                          MsgIcon::Exclamation}));
  EXPECT_EQ(dlg.logoCount(), 255);
}

TEST_F(ListFixture, RemovingRenumbersRowsAndKeepsThePreview) {
  Open("a.bmp", 8, 8);
  Open("b.bmp", 16, 16);
  Open("c.bmp", 100, 50);
  host.selectionMark = 1;
  dlg.OnListClick();
  ASSERT_EQ(host.texts[id::kWidthText], "Width : 16");
  dlg.OnRemove();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(host.rows[1][0], "1");
  EXPECT_EQ(dlg.logoCount(), 2);
  EXPECT_EQ(dlg.totalSize(), 8 + 728);
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 2 / 255");
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 16");  // the texts keep the removed logo
  EXPECT_EQ(dlg.previewPath(), "/logos/b.bmp");
  EXPECT_EQ(dlg.LogoPathList(), "/logos/a.bmp|/logos/c.bmp|");
}

TEST_F(ListFixture, RemovingFirstLastAndOnlyEntries) {
  Open("a.bmp");
  Open("b.bmp");
  Open("c.bmp");
  host.selectionMark = 0;
  dlg.OnRemove();
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.bmp", "c.bmp"}));
  host.selectionMark = 1;
  dlg.OnRemove();
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.bmp"}));
  host.selectionMark = 0;
  dlg.OnRemove();
  EXPECT_TRUE(host.rows.empty());
  EXPECT_EQ(dlg.totalSize(), 0);
  EXPECT_EQ(host.texts[id::kFileCounter], "Logo Files : 0 / 255");
  EXPECT_EQ(host.texts[id::kSizeCounter], "Logo size total : 0 / 250 KBytes");
  EXPECT_FALSE(host.IsEnabled(id::kRemove));
  EXPECT_FALSE(host.IsEnabled(id::kUpload));
  EXPECT_EQ(dlg.previewPath(), "/logos/c.bmp");
}

TEST_F(ListFixture, RemoveAsksFirstThenReportsMissingSelection) {
  Open("a.bmp");
  host.messages.answers = {MsgAnswer::No};
  host.selectionMark = 0;
  dlg.OnRemove();
  EXPECT_EQ(dlg.logoCount(), 1);

  host.selectionMark = -1;
  dlg.OnRemove();
  EXPECT_EQ(host.messages.shown,
            (std::vector<ShownMessage>{
                {"Do you want to remove the selection?", "Remove", MsgButtons::YesNo,
                 MsgIcon::Question},
                {"Do you want to remove the selection?", "Remove", MsgButtons::YesNo,
                 MsgIcon::Question},
                {"There is no selected Item", "Remove", MsgButtons::Ok, MsgIcon::Stop}}));
  EXPECT_EQ(dlg.logoCount(), 1);
}

TEST_F(ListFixture, ResetAsksAndEmptiesTheListButNotThePreview) {
  Open("a.bmp");
  Open("b.bmp");
  host.messages.answers = {MsgAnswer::No};
  dlg.OnReset();
  EXPECT_EQ(dlg.logoCount(), 2);
  dlg.OnReset();
  EXPECT_EQ(host.messages.shown.back(),
            (ShownMessage{"Do you want to remove all of the selection?", "Remove",
                          MsgButtons::YesNo, MsgIcon::Question}));
  EXPECT_TRUE(host.rows.empty());
  EXPECT_EQ(dlg.logoCount(), 0);
  EXPECT_EQ(dlg.LogoPathList(), "");
  EXPECT_FALSE(host.IsEnabled(id::kErase));
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 100");
  EXPECT_EQ(dlg.previewPath(), "/logos/b.bmp");
}

TEST_F(ListFixture, ClickingARowShowsItsPictureAndSizeAndNothingWithoutSelection) {
  Open("a.bmp", 8, 8);
  Open("b.bmp", 100, 50);
  const auto events = host.events.size();
  dlg.OnListClick();  // no row selected yet
  EXPECT_EQ(host.events.size(), events);
  host.selectionMark = 0;
  dlg.OnListClick();
  EXPECT_EQ(dlg.previewPath(), "/logos/a.bmp");
  EXPECT_EQ(host.texts[id::kWidthText], "Width : 8");
  EXPECT_EQ(host.texts[id::kHeightText], "Height : 8");
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile /logos/a.bmp,0,5");
}

}  // namespace
}  // namespace brindle
