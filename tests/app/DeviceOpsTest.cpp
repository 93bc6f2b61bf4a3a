// Upload, Erase and Printout: the job's arguments, questions, progress, results.
#include "app/FakeMainHost.h"
#include "app/ProgressPlacement.h"
#include "app/SelectionRange.h"

namespace brindle::test {
namespace {

using Op = void (CMainDlg::*)();
using enum MsgIcon;

// Erase sends code 3, Printout the device index; LPT still passes the serial lists.
TEST_F(AppTest, EachJobGetsTheChoicesOfThisMoment) {
  Open("a.bmp");
  Open("b.bmp");
  host.selected = {{id::kDeviceList, 1}, {id::kBaudList, 5}, {id::kParityList, 2}};
  host.texts[id::kIpAddress] = "1.2.3.4";
  host.texts[id::kSelectionNumber] = "2-4";
  host.SliderSetPos(7);
  dlg.OnHalftoneDiffusion();
  dlg.OnRange(1);
  dlg.OnQuality(2);
  const std::tuple<Op, int, string> cases[] = {
      {&CMainDlg::OnUpload, 6, "RunUpload 1,COM3,10,-1,2,-1,-1,/l/a.bmp|/l/b.bmp|,1,7"},
      {&CMainDlg::OnUpload, 3, "RunUploadTcp 1,1.2.3.4,9100,/l/a.bmp|/l/b.bmp|,1,7"},
      {&CMainDlg::OnErase, 0, "RunCommand 3,LPT1,10,-1,2,-1,-1,2,2,0"},
      {&CMainDlg::OnErase, 3, "RunCommandTcp 3,1.2.3.4,9100,2,2,0"},
      {&CMainDlg::OnPrintout, 6, "RunCommand 1,COM3,10,-1,2,-1,-1,2,2,4"},
      {&CMainDlg::OnPrintout, 3, "RunCommandTcp 1,1.2.3.4,9100,2,2,4"}};
  for (const auto& [op, port, call] : cases) {
    host.ListSelect(id::kPortList, port);
    (dlg.*op)();
    EXPECT_EQ(ctrl.calls.back(), call);
  }
}

// Each case: job result, answers, boxes shown. Printout reports nothing; No runs nothing.
TEST_F(AppTest, QuestionsAndResults) {
  const ShownMessage upload = Box(
      "Logo file is written in the NV image area of the device. Continue it?", "Upload", Question);
  const ShownMessage erase = Box("NV image all Delete. Continue it?", "Erase", Question);
  const string failed = "Communication error. Can not be transmitted.";
  const std::tuple<int, std::deque<MsgAnswer>, std::vector<ShownMessage>> cases[] = {
      {JobOk, {}, {upload, Box("Upload finished, and Writing of bit image completed. \r\nLogo "
                               "becomes available after the reset of a device.",
                               "Upload", Information),
                   erase, Box("Upload finished, and Cleaning of NV Image completed. \r\n Logo "
                              "becomes available after the reset of a device.",
                              "Erase", Information)}},
      {JobStreamFailed, {}, {upload, Box(failed, "Upload", Stop), erase,
                             Box(failed, "Error", Stop)}},
      {JobOk, {MsgAnswer::No, MsgAnswer::No}, {upload, erase}}};
  for (const auto& [result, answers, shown] : cases) {
    ctrl.result = result;
    ctrl.calls.clear();
    host.messages.shown.clear();
    host.messages.answers = answers;
    dlg.OnUpload();
    dlg.OnErase();
    dlg.OnPrintout();
    EXPECT_EQ(host.messages.shown, shown);
    EXPECT_EQ(ctrl.calls.size(), shown.size() - 1);  // one job per result, and Printout
  }
}

// Five steps with the job's wait each; the result message follows.
TEST_F(AppTest, ProgressAnimation) {
  host.calls.clear();
  dlg.OnPrintout();
  EXPECT_EQ(host.calls, (Strings{"progress PrintOut", "range 0,100", "pos 1", "wait 100", "pos 25",
                               "wait 100", "pos 49", "wait 100", "pos 73", "wait 100", "pos 97",
                               "wait 100", "close"}));
  dlg.OnUpload();
  dlg.OnErase();
  const Strings& c = host.calls;
  EXPECT_EQ(c[14] + c[17] + c[29] + c[32] + c.end()[-2],
            "progress Uploading...wait 750progress Erasing...wait 750close");
}

// "a-b" prints a to b (a "-" ends b, a leading one is a sign); Erase reads one number.
TEST(SelectionRange, PrintoutAndEraseNumbers) {
  EXPECT_EQ(PrintoutRange(1, "3-7-9"), (PrintRange{3, 7}));
  EXPECT_EQ(PrintoutRange(1, "-4"), (PrintRange{-4, 0}));
  EXPECT_EQ(EraseStart(1, "-4"), -4);
}

// The progress window is centred by half the corner difference, from the
// owner's client origin, truncated toward zero.
TEST(ProgressPlacement, Centred) {
  EXPECT_EQ(ProgressWindowPosition({0, 0, 10, 10}, {0, 0, 15, 17}, {5, 9}), (Point{3, 6}));
}

}  // namespace
}  // namespace brindle::test
