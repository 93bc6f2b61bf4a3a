// The settings files as the window reads them at start-up and writes them at close.
#include "app/FakeMainHost.h"
#include "support/TempDir.h"

namespace brindle::test {
namespace {

using enum MsgIcon;

struct Window : FakeMainHost {
  CMainDlg dlg;
  Window(FakeUploadCtrl& ctrl, const string& dir) : dlg(*this, ctrl, dir) { dlg.OnInitDialog(); }
};

struct SettingsIo : ::testing::Test {
  FakeUploadCtrl ctrl;
  TempDir dir;
};

// Close makes the folder and writes both files; Enter and Esc write nothing.
TEST_F(SettingsIo, CloseWritesBothFiles) {
  Window w(ctrl, dir.File("new/brindle"));
  w.dlg.OnExit();
  w.dlg.OnEnterKey();
  w.dlg.OnEscapeKey();
  EXPECT_FALSE(dir.Exists("new"));
  w.dlg.OnClose();
  EXPECT_EQ(w.calls, (Strings{"icons", "splash", "wait 1000", "unsplash", "close-request", "end 1",
                            "end 2", "end 2"}));
  EXPECT_TRUE(dir.Exists("new/brindle/files.ini") && dir.Read("new/brindle/files.ini").empty());
  EXPECT_EQ(dir.Read("new/brindle/nvupload.ini"),
            "[LOGO]\r\r\nPrinter=0\r\r\nPort=4\r\r\nBaudRate=3\r\r\nBitLength=0\r\r\n"
            "Parity=0\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
}

// Logos come back measured again, the last one shown; another section is not read.
TEST_F(SettingsIo, StartingAgainRestoresTheListAndTheSelections) {
  ctrl.bitmaps = {{"/l/a.bmp", {1, 48, 512}}, {"/l/b.bmp", {24, 50, 100}}};
  const string ports = "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=5\r\r\nBitLength=0\r\r\n"
                       "Parity=-1\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n";
  {
    Window w(ctrl, dir.str());
    w.chosen = {"/l/a.bmp", "/l/b.bmp"};
    w.dlg.OnOpenFile();
    w.dlg.OnOpenFile();
    w.ListSelect(id::kDeviceList, 1);
    w.ListSelect(id::kPortList, 3);
    w.ListSelect(id::kBaudList, 5);
    w.ListSelect(id::kParityList, -1);
    w.dlg.OnClose();
  }
  EXPECT_EQ(dir.Read("files.ini"), "[LOGO]\r\r\nLogofile1=/l/a.bmp|a.bmp|3072|48|512\r\r\n"
                                   "Logofile2=/l/b.bmp|b.bmp|728|50|100\r\r\n");
  EXPECT_EQ(dir.Read("nvupload.ini"), ports);
  ctrl.bitmaps["/l/b.bmp"] = {24, 16, 16};
  Window w(ctrl, dir.str());
  EXPECT_EQ(w.rows, (std::vector<Strings>{{"0", "1", "a.bmp", "3072"}, {"1", "2", "b.bmp", "32"}}));
  EXPECT_EQ(w.dlg.previewPath(), "/l/b.bmp");
  EXPECT_FALSE(w.readOnly[id::kIpAddress]);  // the port rule ran for TCP/IP
  w.dlg.OnClose();
  EXPECT_EQ(dir.Read("nvupload.ini"), ports);
  dir.Write("nvupload.ini", "[PORT]\r\r\nPort=0\r\r\n");
  EXPECT_EQ(Window(ctrl, dir.str()).selected[id::kPortList], 4);
}

// Ten refused stored logos get a box each; more are counted in one last box.
TEST_F(SettingsIo, RefusedStoredLogosShowAtMostTenBoxesThenACount) {
  ctrl.bitmaps["/l/c.bmp"] = {8, 8, 8};
  for (int missing : {10, 11}) {
    string text = "[LOGO]\r\r\n";
    for (int i = 0; i < missing; ++i) text += "Logofile=/l/gone.bmp|gone.bmp\r\r\n";
    dir.Write("files.ini", text + "Logofile=/l/c.bmp|c.bmp\r\r\n");
    Window w(ctrl, dir.str());
    EXPECT_EQ(w.dlg.logoCount(), 1);
    std::vector<ShownMessage> expected(10, Box("Out of range bitmap file.", "Error", Stop));
    if (missing == 11) {
      expected.push_back(Box("1 more logo files could not be loaded.", "Error", Stop));
    }
    EXPECT_EQ(w.messages.shown, expected);
  }
}

// Each file not written is named with the reason, in one box, before closing.
TEST_F(SettingsIo, SavingReportsEachFileItCouldNotWrite) {
  dir.Write("file", "");
  std::filesystem::create_directories(dir.File("taken/files.ini"));
  const string blocked = dir.File("file/brindle"), taken = dir.File("taken");
  const std::pair<string, string> cases[] = {
      {taken, "Could not save " + taken + "/files.ini: Is a directory"},
      {blocked, "Could not save " + blocked + "/files.ini: Not a directory\nCould not save " +
                    blocked + "/nvupload.ini: Not a directory"}};
  for (const auto& [folder, message] : cases) {
    Window w(ctrl, folder);
    w.dlg.OnClose();
    EXPECT_EQ(w.messages.shown, (std::vector<ShownMessage>{Box(message, "Error", Stop)}));
    EXPECT_EQ(w.calls.back(), "end 2");
  }
}

}  // namespace
}  // namespace brindle::test
