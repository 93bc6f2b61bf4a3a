// Start-up, the port rule, the baud code, the level and the ways to end
// the main window, as an operator meets them.
#include <gtest/gtest.h>

#include "app/FakeMainHost.h"
#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

using test::FakeMainHost;

struct Started {
  FakeMainHost host;
  test::FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent-settings-dir"};
  Started() { EXPECT_TRUE(dlg.OnInitDialog()); }
};

TEST(MainDlgStartup, FirstStartFillsEveryListInOrderAndSelectsDefaults) {
  Started s;
  using V = std::vector<std::string>;
  const struct {
    int id;
    V entries;
    int selected;
  } expected[] = {
      {id::kDeviceList, V{"Thermal", "Dot"}, 0},
      {id::kPortList,
       V{"LPT1", "LPT2", "USB", "TCP/IP", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
         "COM8", "COM9", "COM10", "COM11", "COM12"},
       4},
      {id::kBaudList,
       V{"2400 bps", "4800 bps", "9600 bps", "19200 bps", "38400 bps", "115200 bps"}, 3},
      {id::kBitLengthList, V{"8 bit"}, 0},
      {id::kParityList, V{"NONE", "EVEN", "ODD"}, 0},
      {id::kStopBitList, V{"1 bit"}, 0},
      {id::kHandshakeList, V{"DTR/DSR"}, 0},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(s.host.lists[e.id].entries, e.entries);
    EXPECT_EQ(s.host.lists[e.id].selected, e.selected);
  }
}

TEST(MainDlgStartup, FirstStartEnablesOnlyOpenExitAndThePortControls) {
  Started s;
  for (int control : {id::kRemove, id::kReset, id::kUpload, id::kErase, id::kPrintout,
                      id::kHalftoneNone, id::kHalftoneDiffusion, id::kRangeAll,
                      id::kRangeSelection, id::kSizeSingle, id::kSizeDoubleWide,
                      id::kSizeDoubleHigh, id::kSizeDoubleBoth}) {
    EXPECT_FALSE(s.host.IsEnabled(control)) << control;
  }
  for (int control : {id::kOpenFile, id::kExit, id::kLevelSlider, id::kSelectionNumber,
                      id::kBaudList, id::kBitLengthList, id::kParityList, id::kStopBitList,
                      id::kHandshakeList, id::kDeviceList, id::kPortList}) {
    EXPECT_TRUE(s.host.IsEnabled(control)) << control;
  }
}

TEST(MainDlgStartup, FirstStartFieldsTextsSliderAndColumns) {
  Started s;
  EXPECT_EQ(s.host.texts[id::kIpAddress], "");
  EXPECT_TRUE(s.host.IsReadOnly(id::kIpAddress));
  EXPECT_EQ(s.host.texts[id::kTcpPort], "9100");
  EXPECT_TRUE(s.host.IsReadOnly(id::kTcpPort));

  EXPECT_EQ(s.host.texts[id::kFileCounter], "Logo Files : 0 / 255");
  EXPECT_EQ(s.host.texts[id::kSizeCounter], "Logo size total : 0 / 250 KBytes");
  EXPECT_EQ(s.host.texts[id::kWidthText], "Width : 0");
  EXPECT_EQ(s.host.texts[id::kHeightText], "Height : 0");

  EXPECT_EQ(s.host.sliderMin, 0);
  EXPECT_EQ(s.host.sliderMax, 10);
  EXPECT_EQ(s.host.sliderPos, 5);
  EXPECT_EQ(s.dlg.level(), 5);
  EXPECT_EQ(s.dlg.halftoneMode(), 0);
  EXPECT_EQ(s.dlg.printSizeIndex(), 0);
  EXPECT_EQ(s.dlg.rangeMode(), 0);
  EXPECT_EQ(s.dlg.logoCount(), 0);
  EXPECT_EQ(s.dlg.totalSize(), 0);

  EXPECT_EQ(s.host.checked, (std::vector<int>{id::kHalftoneNone, id::kRangeAll, id::kSizeSingle}));
  EXPECT_TRUE(s.host.fullRowSelect);
  using C = FakeMainHost::Column;
  EXPECT_EQ(s.host.columns,
            (std::vector<C>{{0, "No.", 0}, {1, "No.", 42}, {2, "Name", 150}, {3, "Size", 50}}));
  EXPECT_EQ(s.host.iconsSet, 1);
}

TEST(MainDlgStartup, SplashIsShownForOneSecondBeforeTheControlsAreFilled) {
  Started s;
  ASSERT_GE(s.host.events.size(), 3u);
  EXPECT_EQ(s.host.events[0], "splash-show");
  EXPECT_EQ(s.host.events[1], "wait 1000");
  EXPECT_EQ(s.host.events[2], "splash-hide");
  EXPECT_EQ(s.host.waits, std::vector<int>{1000});
  EXPECT_TRUE(s.host.messages.shown.empty());
}

TEST(MainDlgPortRule, EachKindOfPortSetsSerialListsAndIpField) {
  const struct {
    int portIndex;
    bool serialEnabled;
    bool ipReadOnly;
  } cases[] = {
      {0, false, true},   // LPT1
      {1, false, true},   // LPT2
      {2, false, true},   // USB
      {3, false, false},  // TCP/IP
      {4, true, true},    // COM1
      {10, true, true},   // COM7
      {15, true, true},   // COM12
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.portIndex);
    Started s;
    s.host.ListSelect(id::kPortList, c.portIndex);
    s.dlg.OnPortSelChange();
    for (int list : {id::kBaudList, id::kBitLengthList, id::kParityList, id::kStopBitList,
                     id::kHandshakeList}) {
      EXPECT_EQ(s.host.IsEnabled(list), c.serialEnabled) << list;
    }
    EXPECT_EQ(s.host.IsReadOnly(id::kIpAddress), c.ipReadOnly);
    EXPECT_TRUE(s.host.IsEnabled(id::kDeviceList));
    EXPECT_TRUE(s.host.IsReadOnly(id::kTcpPort));
  }
}

TEST(MainDlgPortRule, NoSelectionChangesNothingAndTypedAddressStays) {
  Started s;
  s.host.ListSelect(id::kPortList, 3);
  s.dlg.OnPortSelChange();
  s.host.SetText(id::kIpAddress, "192.168.0.20");

  s.host.ListSelect(id::kPortList, -1);
  s.dlg.OnPortSelChange();
  EXPECT_FALSE(s.host.IsEnabled(id::kBaudList));
  EXPECT_FALSE(s.host.IsReadOnly(id::kIpAddress));

  s.host.ListSelect(id::kPortList, 2);
  s.dlg.OnPortSelChange();
  EXPECT_EQ(s.host.texts[id::kIpAddress], "192.168.0.20");
  EXPECT_TRUE(s.host.IsReadOnly(id::kIpAddress));
}

TEST(MainDlgBaudCode, EveryListedTextAndNoSelection) {
  Started s;
  const int expected[] = {4, 5, 6, 7, 8, 10};  // 2400 … 115200 bps
  for (int i = 0; i < 6; ++i) {
    s.host.ListSelect(id::kBaudList, i);
    EXPECT_EQ(s.dlg.GetBaudCode(), expected[i]) << i;
  }
  s.host.ListSelect(id::kBaudList, -1);
  EXPECT_EQ(s.dlg.GetBaudCode(), 7);
}

TEST(MainDlgLevel, LevelFollowsSliderPositionOnlyWhenRecomputed) {
  Started s;
  for (int position : {0, 5, 10}) {
    s.host.SliderSetPos(position);
    s.dlg.UpdateHalftoneLevel();
    EXPECT_EQ(s.dlg.level(), position);
  }
  s.host.SliderSetPos(3);
  EXPECT_EQ(s.dlg.level(), 10);  // unchanged until the next recompute
  // With another range the level is scaled and truncated: 2 / 3 * 10 = 6.67.
  s.host.SliderSetRange(0, 3);
  s.host.SliderSetPos(2);
  s.dlg.UpdateHalftoneLevel();
  EXPECT_EQ(s.dlg.level(), 6);
}

TEST(MainDlgEnd, ExitSendsTheCloseRequestAndCloseEndsWithCancel) {
  Started s;
  s.dlg.OnExit();
  EXPECT_EQ(s.host.closeRequests, 1);
  EXPECT_TRUE(s.host.endResults.empty());
  s.dlg.OnClose();
  EXPECT_EQ(s.host.endResults, std::vector<int>{kDialogCancel});
}

TEST(MainDlgEnd, EnterAndEscapeEndTheDialogAtOnce) {
  Started a;
  a.dlg.OnEnterKey();
  EXPECT_EQ(a.host.endResults, std::vector<int>{kDialogOk});
  Started b;
  b.dlg.OnEscapeKey();
  EXPECT_EQ(b.host.endResults, std::vector<int>{kDialogCancel});
  EXPECT_EQ(b.host.closeRequests, 0);
}

TEST(MainDlgPortSettings, ReadsTheChoicesAtThisMoment) {
  Started s;
  s.host.ListSelect(id::kDeviceList, 1);
  s.host.ListSelect(id::kPortList, 3);
  s.host.ListSelect(id::kBaudList, 5);
  s.host.ListSelect(id::kParityList, 2);
  s.host.SetText(id::kIpAddress, "127.0.0.1");
  PortSettings p = s.dlg.ReadPortSettings();
  EXPECT_EQ(p.deviceIndex, 1);
  EXPECT_EQ(p.portName, "TCP/IP");
  EXPECT_TRUE(p.IsTcp());
  EXPECT_EQ(p.baudCode, 10);
  EXPECT_EQ(p.parityIndex, 2);
  EXPECT_EQ(p.dataBitsIndex, 0);
  EXPECT_EQ(p.ipAddress, "127.0.0.1");
  EXPECT_EQ(p.tcpPort, "9100");

  s.host.ListSelect(id::kPortList, 99);  // a stored index that does not exist
  EXPECT_EQ(s.dlg.ReadPortSettings().portName, "");
}

}  // namespace
}  // namespace brindle
