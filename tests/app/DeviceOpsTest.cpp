// Upload, Erase and Printout as an operator starts them: the arguments
// handed to the job, the questions, the progress animation and the result
// messages.
#include <gtest/gtest.h>

#include "app/FakeMainHost.h"
#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "app/SelectionRange.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

using test::FakeMainHost;
using test::FakeUploadCtrl;
using test::ShownMessage;

const char kUploadDone[] =
    "Upload finished, and Writing of bit image completed. \r\nLogo becomes available after the "
    "reset of a device.";
const char kEraseDone[] =
    "Upload finished, and Cleaning of NV Image completed. \r\n Logo becomes available after the "
    "reset of a device.";
const char kError[] = "Communication error. Can not be transmitted.";

struct Ops : ::testing::Test {
  FakeMainHost host;
  FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent"};
  void SetUp() override {
    dlg.OnInitDialog();
    for (const char* p : {"/l/a.bmp", "/l/b.bmp", "/l/c.bmp"}) {
      ctrl.bitmaps[p] = {24, 16, 16};
      host.chosenFiles.push_back(p);
      dlg.OnOpenFile();
    }
    ctrl.calls.clear();
    host.events.clear();
    host.waits.clear();
  }
  void Port(int index) {
    host.ListSelect(id::kPortList, index);
    dlg.OnPortSelChange();
  }
  std::vector<std::string> ProgressEvents() const {
    std::vector<std::string> out;
    for (const auto& e : host.events) {
      if (e.rfind("progress", 0) == 0 || e.rfind("wait", 0) == 0) out.push_back(e);
    }
    return out;
  }
};

TEST(SelectionRange, PrintoutAndEraseNumbers) {
  const struct {
    int mode;
    const char* text;
    PrintRange printout;
    int erase;
  } cases[] = {
      {0, "2-4", {0, 0}, 0},   {1, "12", {12, 0}, 12}, {1, "3-7", {3, 7}, 3},
      {1, "3-7-9", {3, 7}, 3}, {1, "-4", {-4, 0}, -4}, {1, "abc", {0, 0}, 0},
      {1, "", {0, 0}, 0},      {1, " +5-x", {5, 0}, 5}, {1, "5-", {5, 0}, 5},
      {1, "2-4", {2, 4}, 2},   {1, "0-5", {0, 5}, 0},  {1, "5-2", {5, 2}, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PrintoutRange(c.mode, c.text), c.printout);
    EXPECT_EQ(EraseStart(c.mode, c.text), c.erase);
  }
}

TEST_F(Ops, UploadOverTcpPassesTheTypedAddressAndTheList) {
  Port(3);
  host.SetText(id::kIpAddress, "127.0.0.1");
  host.ListSelect(id::kDeviceList, 1);
  host.SliderSetPos(7);
  dlg.OnHalftoneDiffusion();
  dlg.OnUpload();
  EXPECT_EQ(ctrl.calls.back(),
            "RunUploadTcp 1,127.0.0.1,9100,/l/a.bmp|/l/b.bmp|/l/c.bmp|,1,7");
  EXPECT_EQ(host.messages.shown.front(),
            (ShownMessage{"Logo file is written in the NV image area of the device. Continue it?",
                          "Upload", MsgButtons::YesNo, MsgIcon::Question}));
  EXPECT_EQ(host.messages.shown.back(),
            (ShownMessage{kUploadDone, "Upload", MsgButtons::Ok, MsgIcon::Information}));
}

TEST_F(Ops, UploadOverSerialAndParallelPassesTheSerialChoices) {
  Port(6);  // COM3
  host.ListSelect(id::kBaudList, 5);
  host.ListSelect(id::kParityList, 2);
  dlg.OnUpload();
  EXPECT_EQ(ctrl.calls.back(), "RunUpload 0,COM3,10,0,2,0,0,/l/a.bmp|/l/b.bmp|/l/c.bmp|,0,5");
  Port(0);  // LPT1: the disabled serial lists are still read
  dlg.OnUpload();
  EXPECT_EQ(ctrl.calls.back(), "RunUpload 0,LPT1,10,0,2,0,0,/l/a.bmp|/l/b.bmp|/l/c.bmp|,0,5");
}

TEST_F(Ops, AnsweringNoRunsNothing) {
  host.messages.answers = {MsgAnswer::No, MsgAnswer::No};
  dlg.OnUpload();
  dlg.OnErase();
  EXPECT_TRUE(ctrl.calls.empty());
  EXPECT_TRUE(ProgressEvents().empty());
  EXPECT_EQ(host.messages.shown.size(), 2u);
}

TEST_F(Ops, FailuresShowTheSameTextWithTheirOwnCaptions) {
  for (int result : {JobOpenFailed, JobPortSetupFailed, JobCheckFailed, JobStreamFailed}) {
    ctrl.result = result;
    host.messages.shown.clear();
    dlg.OnUpload();
    dlg.OnErase();
    EXPECT_EQ(host.messages.shown[1],
              (ShownMessage{kError, "Upload", MsgButtons::Ok, MsgIcon::Stop}));
    EXPECT_EQ(host.messages.shown[3], (ShownMessage{kError, "Error", MsgButtons::Ok, MsgIcon::Stop}));
  }
}

TEST_F(Ops, EraseSendsCodeThreeWhateverTheDeviceAndTheWholeTextAsStart) {
  host.ListSelect(id::kDeviceList, 1);
  dlg.OnRange(1);
  dlg.OnQuality(2);
  host.SetText(id::kSelectionNumber, "2-4");
  dlg.OnErase();
  EXPECT_EQ(ctrl.calls.back(), "RunCommand 3,COM1,7,0,0,0,0,2,2,0");
  Port(3);
  host.SetText(id::kIpAddress, "10.1.1.1");
  dlg.OnRange(0);
  dlg.OnErase();
  EXPECT_EQ(ctrl.calls.back(), "RunCommandTcp 3,10.1.1.1,9100,0,2,0");
  EXPECT_EQ(host.messages.shown.back(),
            (ShownMessage{kEraseDone, "Erase", MsgButtons::Ok, MsgIcon::Information}));
}

TEST_F(Ops, PrintoutPassesDeviceRangeAndSizeAndNeverShowsAMessage) {
  dlg.OnQuality(2);
  dlg.OnPrintout();
  EXPECT_EQ(ctrl.calls.back(), "RunCommand 0,COM1,7,0,0,0,0,0,2,0");
  dlg.OnRange(1);
  host.SetText(id::kSelectionNumber, "2-4");
  host.ListSelect(id::kDeviceList, 1);
  Port(3);
  host.SetText(id::kIpAddress, "127.0.0.1");
  ctrl.result = JobStreamFailed;
  dlg.OnPrintout();
  EXPECT_EQ(ctrl.calls.back(), "RunCommandTcp 1,127.0.0.1,9100,2,2,4");
  EXPECT_TRUE(host.messages.shown.empty());
}

TEST_F(Ops, ProgressAnimationFollowsTheJobWithItsCaptionAndWaits) {
  dlg.OnPrintout();
  EXPECT_EQ(ProgressEvents(),
            (std::vector<std::string>{"progress-open PrintOut", "progress-range 0..100",
                                      "progress-pos 1", "wait 100", "progress-pos 25", "wait 100",
                                      "progress-pos 49", "wait 100", "progress-pos 73", "wait 100",
                                      "progress-pos 97", "wait 100", "progress-close"}));
  host.events.clear();
  dlg.OnUpload();
  EXPECT_EQ(ProgressEvents().front(), "progress-open Uploading...");
  host.events.clear();
  dlg.OnErase();
  EXPECT_EQ(ProgressEvents().front(), "progress-open Erasing...");
  EXPECT_EQ(host.waits, (std::vector<int>{100, 100, 100, 100, 100, 750, 750, 750, 750, 750, 750,
                                          750, 750, 750, 750}));
  // The result message comes after the animation has closed.
  EXPECT_EQ(host.events[host.events.size() - 2], "progress-close");
  EXPECT_EQ(host.events.back(), std::string("message ") + kEraseDone);
}

}  // namespace
}  // namespace brindle

#include "app/ProgressPlacement.h"

namespace brindle {
namespace {

TEST(ProgressPlacement, HalfTheCornerDifferenceInOwnerClientCoordinates) {
  // Owner 100..1148 x 50..700 with its client area at (102, 80); a fresh
  // progress window at 0..584 x 0..90.
  EXPECT_EQ(ProgressWindowPosition({100, 50, 1148, 700}, {0, 0, 584, 90}, {102, 80}),
            (Point{102 + 282, 80 + 305}));
  // Truncation toward zero for negative halves.
  EXPECT_EQ(ProgressWindowPosition({0, 0, 10, 10}, {0, 0, 13, 15}, {0, 0}), (Point{-1, -2}));
}

}  // namespace
}  // namespace brindle
