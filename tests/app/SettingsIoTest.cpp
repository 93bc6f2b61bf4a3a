// The settings files as the main window reads them at start-up and writes
// them at close.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/FakeMainHost.h"
#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "res/ControlIds.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using test::FakeMainHost;
using test::FakeUploadCtrl;
using test::ShownMessage;
using test::TempDir;

struct Window {
  FakeMainHost host;
  CMainDlg dlg;
  Window(FakeUploadCtrl& ctrl, const TempDir& dir) : dlg(host, ctrl, dir.str()) {
    dlg.OnInitDialog();
  }
};

class SettingsIo : public ::testing::Test {
 protected:
  void SetUp() override {
    ctrl.bitmaps["/l/a.bmp"] = {1, 48, 512};
    ctrl.bitmaps["/l/b.bmp"] = {24, 50, 100};
    ctrl.bitmaps["/l/c.bmp"] = {8, 8, 8};
  }
  FakeUploadCtrl ctrl;
  TempDir dir;
};

TEST_F(SettingsIo, FirstStartCloseWritesAnEmptyListAndTheDefaults) {
  Window w(ctrl, dir);
  w.dlg.OnClose();
  EXPECT_TRUE(dir.Exists("files.ini"));
  EXPECT_EQ(dir.Read("files.ini"), "");
  EXPECT_EQ(dir.Read("nvupload.ini"),
            "[LOGO]\r\r\nPrinter=0\r\r\nPort=4\r\r\nBaudRate=3\r\r\nBitLength=0\r\r\n"
            "Parity=0\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
}

TEST_F(SettingsIo, EscapeAndEnterWriteNothing) {
  Window w(ctrl, dir);
  w.host.ListSelect(id::kPortList, 3);
  w.dlg.OnEscapeKey();
  w.dlg.OnEnterKey();
  EXPECT_FALSE(dir.Exists("files.ini"));
  EXPECT_FALSE(dir.Exists("nvupload.ini"));
}

TEST_F(SettingsIo, RoundTripRestoresTheListAndTheSevenSelections) {
  {
    Window w(ctrl, dir);
    for (const char* path : {"/l/a.bmp", "/l/b.bmp", "/l/c.bmp"}) w.host.chosenFiles.push_back(path);
    for (int i = 0; i < 3; ++i) w.dlg.OnOpenFile();
    w.host.ListSelect(id::kDeviceList, 1);
    w.host.ListSelect(id::kPortList, 3);
    w.host.ListSelect(id::kBaudList, 5);
    w.host.ListSelect(id::kParityList, -1);
    w.host.SetText(id::kIpAddress, "10.0.0.7");
    w.dlg.OnExit();
    EXPECT_EQ(w.host.closeRequests, 1);
    w.dlg.OnClose();
  }
  EXPECT_EQ(dir.Read("files.ini"),
            "[LOGO]\r\r\nLogofile1=/l/a.bmp|a.bmp|3072|48|512\r\r\n"
            "Logofile2=/l/b.bmp|b.bmp|728|50|100\r\r\n"
            "Logofile3=/l/c.bmp|c.bmp|8|8|8\r\r\n");
  EXPECT_EQ(dir.Read("nvupload.ini"),
            "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=5\r\r\nBitLength=0\r\r\n"
            "Parity=-1\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");

  ctrl.bitmaps["/l/b.bmp"] = {24, 16, 16};  // sizes are measured again
  Window again(ctrl, dir);
  EXPECT_EQ(again.dlg.LogoPathList(), "/l/a.bmp|/l/b.bmp|/l/c.bmp|");
  EXPECT_EQ(again.host.rows[1], (std::vector<std::string>{"1", "2", "b.bmp", "32"}));
  EXPECT_EQ(again.host.lists[id::kDeviceList].selected, 1);
  EXPECT_EQ(again.host.lists[id::kPortList].selected, 3);
  EXPECT_EQ(again.host.lists[id::kBaudList].selected, 5);
  EXPECT_EQ(again.host.lists[id::kParityList].selected, -1);
  EXPECT_EQ(again.dlg.GetBaudCode(), 10);
  // TCP/IP restored: the address is empty and writable, the port default.
  EXPECT_EQ(again.host.texts[id::kIpAddress], "");
  EXPECT_FALSE(again.host.IsReadOnly(id::kIpAddress));
  EXPECT_EQ(again.host.texts[id::kTcpPort], "9100");
  // The last logo read is shown.
  EXPECT_EQ(again.dlg.previewPath(), "/l/c.bmp");
}

TEST_F(SettingsIo, AStoredListIsReadUpTo255EntriesAndOpenFileRefusesMore) {
  std::string text = "[LOGO]\r\r\n";
  for (int i = 1; i <= 300; ++i) text += "Logofile" + std::to_string(i) + "=/l/c.bmp|c.bmp|8|8|8\r\r\n";
  dir.Write("files.ini", text);
  Window w(ctrl, dir);
  EXPECT_EQ(w.dlg.logoCount(), 255);
  EXPECT_EQ(w.host.texts[id::kFileCounter], "Logo Files : 255 / 255");
  w.host.chosenFiles.push_back("/l/a.bmp");
  w.dlg.OnOpenFile();
  EXPECT_EQ(w.host.fileDialogs, 0);
  EXPECT_EQ(w.host.messages.shown.back().text, "Don't read files any more.");
}

TEST_F(SettingsIo, MissingOrForeignFilesKeepTheDefaults) {
  dir.Write("files.ini", "[LOGO]\r\nLogofile1=/l/a.bmp|a.bmp|3072|48|512\r\n");  // plain CR LF
  Window w(ctrl, dir);
  EXPECT_EQ(w.dlg.logoCount(), 0);
  EXPECT_EQ(w.dlg.previewPath(), "");
  EXPECT_EQ(w.host.lists[id::kPortList].selected, 4);
  EXPECT_TRUE(w.host.IsEnabled(id::kBaudList));
}

TEST_F(SettingsIo, SectionLineAloneSelectsTheFirstEntryEverywhere) {
  dir.Write("nvupload.ini", "[LOGO]\r\r\n");
  dir.Write("files.ini", "[LOGO]\r\r\n");
  Window w(ctrl, dir);
  for (int list : {id::kDeviceList, id::kPortList, id::kBaudList, id::kBitLengthList,
                   id::kParityList, id::kStopBitList, id::kHandshakeList}) {
    EXPECT_EQ(w.host.lists[list].selected, 0) << list;
  }
  // Port "LPT1": the port rule ran.
  EXPECT_FALSE(w.host.IsEnabled(id::kBaudList));
  // An empty path was shown: nothing loads.
  EXPECT_EQ(w.dlg.previewPath(), "");
  EXPECT_EQ(ctrl.calls.back(), "MakePreviewFile ,0,5");
}

TEST_F(SettingsIo, StoredIndexOutsideAListLeavesItWithoutSelection) {
  dir.Write("nvupload.ini",
            "[LOGO]\r\r\nPrinter=7\r\r\nPort=-5\r\r\nBaudRate=99\r\r\nBitLength=0\r\r\n"
            "Parity=1\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
  Window w(ctrl, dir);
  EXPECT_EQ(w.host.lists[id::kDeviceList].selected, -1);
  EXPECT_EQ(w.host.lists[id::kPortList].selected, -1);
  EXPECT_EQ(w.dlg.GetBaudCode(), 7);
  EXPECT_EQ(w.dlg.ReadPortSettings().portName, "");
  EXPECT_EQ(w.host.lists[id::kParityList].selected, 1);
}

TEST_F(SettingsIo, UnloadableStoredLogosAreRefusedOneByOne) {
  dir.Write("files.ini",
            "[LOGO]\r\r\nLogofile1=/l/gone.bmp|gone.bmp|8|8|8\r\r\n"
            "Logofile2=/l/c.bmp|c.bmp|8|8|8\r\r\n");
  Window w(ctrl, dir);
  EXPECT_EQ(w.dlg.logoCount(), 1);
  ASSERT_EQ(w.host.messages.shown.size(), 1u);
  EXPECT_EQ(w.host.messages.shown[0].text, "Out of range bitmap file.");
}

// Ten refused stored logos get a box each; any more are counted in one
// last box, so a damaged list cannot hold the window back box after box.
TEST_F(SettingsIo, RefusedStoredLogosShowAtMostTenBoxesThenACount) {
  const ShownMessage refused{"Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop};
  for (int missing : {10, 13}) {
    std::string text = "[LOGO]\r\r\n";
    for (int i = 0; i < missing; ++i) text += "Logofile=/l/gone.bmp|gone.bmp\r\r\n";
    dir.Write("files.ini", text + "Logofile=/l/c.bmp|c.bmp\r\r\n");
    Window w(ctrl, dir);
    EXPECT_EQ(w.dlg.logoCount(), 1);
    std::vector<ShownMessage> expected(10, refused);
    if (missing == 13) {
      expected.push_back(
          {"3 more logo files could not be loaded.", "Error", MsgButtons::Ok, MsgIcon::Stop});
    }
    EXPECT_EQ(w.host.messages.shown, expected);
  }
}

// The folder is made on the first save; a file that cannot be written is
// named, with the system's reason, in one box before the window closes.
TEST_F(SettingsIo, SavingMakesTheFolderAndReportsEachFileItCouldNotWrite) {
  dir.Write("file", "");
  std::filesystem::create_directories(dir.File("taken/files.ini"));
  const std::string blocked = dir.File("file/brindle"), taken = dir.File("taken");
  const struct {
    std::string folder, message;
  } cases[] = {
      {dir.File("new/brindle"), ""},
      {taken, "Could not save " + taken + "/files.ini: Is a directory"},
      {blocked, "Could not save " + blocked + "/files.ini: Not a directory\n"
                "Could not save " + blocked + "/nvupload.ini: Not a directory"},
  };
  for (const auto& c : cases) {
    FakeMainHost host;
    CMainDlg dlg(host, ctrl, c.folder);
    dlg.OnInitDialog();
    dlg.OnClose();
    std::vector<ShownMessage> expected;
    if (!c.message.empty()) expected.push_back({c.message, "Error", MsgButtons::Ok, MsgIcon::Stop});
    EXPECT_EQ(host.messages.shown, expected);
    EXPECT_EQ(host.endResults, std::vector<int>{kDialogCancel});
    EXPECT_EQ(std::filesystem::exists(c.folder + "/nvupload.ini"), c.folder != blocked);
  }
}

}  // namespace
}  // namespace brindle
