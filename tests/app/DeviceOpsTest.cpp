// Upload, Erase and Printout: the job gets the choices of this moment, the
// overwriting jobs ask first, progress runs, then the result is reported.
#include "app/FakeMainHost.h"
#include "app/ProgressPlacement.h"
#include "app/SelectionRange.h"
#include "res/ControlIds.h"

namespace brindle::test {
namespace {

using Op = void (CMainDlg::*)();
const std::string kAskUpload =
    "Logo file is written in the NV image area of the device. Continue it?";
const std::string kAskErase = "NV image all Delete. Continue it?";

struct Ops : AppTest {
  void SetUp() override {
    AppTest::SetUp();
    Open("a.bmp");
    Open("b.bmp");
    host.ListSelect(id::kDeviceList, 1);
    host.ListSelect(id::kBaudList, 5);
    host.ListSelect(id::kParityList, 2);
    host.SetText(id::kIpAddress, "10.1.1.1");
    host.SetText(id::kSelectionNumber, "2-4");
    host.SliderSetPos(7);
    dlg.OnHalftoneDiffusion();
    dlg.OnRange(1);
    dlg.OnQuality(2);
    host.events.clear();
  }
};

// Erase sends code 3 and Printout the device index as its command; parallel
// ports still pass the serial lists.
TEST_F(Ops, EachJobGetsTheChoicesOfThisMoment) {
  const struct {
    Op op;
    int port;
    const char* call;
  } cases[] = {
      {&CMainDlg::OnUpload, 6, "RunUpload 1,COM3,10,0,2,0,0,/l/a.bmp|/l/b.bmp|,1,7"},
      {&CMainDlg::OnUpload, 3, "RunUploadTcp 1,10.1.1.1,9100,/l/a.bmp|/l/b.bmp|,1,7"},
      {&CMainDlg::OnErase, 0, "RunCommand 3,LPT1,10,0,2,0,0,2,2,0"},
      {&CMainDlg::OnErase, 3, "RunCommandTcp 3,10.1.1.1,9100,2,2,0"},
      {&CMainDlg::OnPrintout, 6, "RunCommand 1,COM3,10,0,2,0,0,2,2,4"},
      {&CMainDlg::OnPrintout, 3, "RunCommandTcp 1,10.1.1.1,9100,2,2,4"},
  };
  for (const auto& c : cases) {
    host.ListSelect(id::kPortList, c.port);
    (dlg.*c.op)();
    EXPECT_EQ(ctrl.calls.back(), c.call);
  }
}

// Printout reports nothing, also when it fails.
TEST_F(Ops, ResultMessages) {
  const ShownMessage askUpload{kAskUpload, "Upload", MsgButtons::YesNo, MsgIcon::Question},
      askErase{kAskErase, "Erase", MsgButtons::YesNo, MsgIcon::Question};
  const std::string failed = "Communication error. Can not be transmitted.";
  const struct {
    int result;
    std::vector<ShownMessage> shown;
  } cases[] = {
      {JobOk,
       {askUpload,
        {"Upload finished, and Writing of bit image completed. \r\nLogo becomes available after "
         "the reset of a device.",
         "Upload", MsgButtons::Ok, MsgIcon::Information},
        askErase,
        {"Upload finished, and Cleaning of NV Image completed. \r\n Logo becomes available after "
         "the reset of a device.",
         "Erase", MsgButtons::Ok, MsgIcon::Information}}},
      {JobStreamFailed,
       {askUpload, {failed, "Upload", MsgButtons::Ok, MsgIcon::Stop}, askErase,
        {failed, "Error", MsgButtons::Ok, MsgIcon::Stop}}},
  };
  for (const auto& c : cases) {
    ctrl.result = c.result;
    host.messages.shown.clear();
    dlg.OnUpload();
    dlg.OnErase();
    dlg.OnPrintout();
    EXPECT_EQ(host.messages.shown, c.shown);
  }
}

TEST_F(Ops, AnsweringNoRunsNothing) {
  ctrl.calls.clear();
  host.messages.answers = {MsgAnswer::No, MsgAnswer::No};
  dlg.OnUpload();
  dlg.OnErase();
  EXPECT_EQ(host.events, (Strings{"message " + kAskUpload, "message " + kAskErase}));
  EXPECT_TRUE(ctrl.calls.empty());
}

// Five steps of the animation, each followed by the job's wait; the result
// message comes after it has closed.
TEST_F(Ops, ProgressAnimation) {
  dlg.OnPrintout();
  EXPECT_EQ(host.events, (Strings{"progress PrintOut", "range 0..100", "pos 1", "wait 100",
                                  "pos 25", "wait 100", "pos 49", "wait 100", "pos 73",
                                  "wait 100", "pos 97", "wait 100", "close"}));
  for (auto [op, caption] : {std::pair<Op, std::string>{&CMainDlg::OnUpload, "Uploading..."},
                             {&CMainDlg::OnErase, "Erasing..."}}) {
    host.events.clear();
    (dlg.*op)();
    EXPECT_EQ(host.events[1], "progress " + caption);
    EXPECT_EQ(host.events[4], "wait 750");
    EXPECT_EQ(host.events.end()[-2], "close");
  }
}

// With "Selection", "a-b" prints a to b, anything else from its number; Erase
// reads the whole text as one number. "All" gives zeros.
TEST(SelectionRange, PrintoutAndEraseNumbers) {
  const struct {
    int mode;
    const char* text;
    PrintRange printout;
    int erase;
  } cases[] = {{0, "2-4", {0, 0}, 0},   {1, "12", {12, 0}, 12}, {1, "3-7-9", {3, 7}, 3},
               {1, "-4", {-4, 0}, -4},  {1, "5-", {5, 0}, 5},   {1, " +5-x", {5, 0}, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(PrintoutRange(c.mode, c.text), c.printout) << c.text;
    EXPECT_EQ(EraseStart(c.mode, c.text), c.erase) << c.text;
  }
}

// Centred by half the corner difference, in the owner's client coordinates,
// truncated toward zero.
TEST(ProgressPlacement, Centred) {
  EXPECT_EQ(ProgressWindowPosition({100, 50, 1148, 700}, {0, 0, 584, 90}, {102, 80}),
            (Point{384, 385}));
  EXPECT_EQ(ProgressWindowPosition({0, 0, 10, 10}, {0, 0, 13, 15}, {0, 0}), (Point{-1, -2}));
}

}  // namespace
}  // namespace brindle::test
