// The real main window under Xvfb: controls made from the template, their
// state after start-up, and the ways to end the window.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "app/wx/MainWindow.h"
#include "gui/GuiTestMain.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class MainWindowGui : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("brindle-gui-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

wxTopLevelWindow* FindTopLevel(const wxString& title) {
  for (wxWindow* w : wxTopLevelWindows) {
    auto* top = wxDynamicCast(w, wxTopLevelWindow);
    if (top && top->GetTitle() == title && top->IsShown()) return top;
  }
  return nullptr;
}

bool IsKind(wxWindow* w, ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return wxDynamicCast(w, wxButton) != nullptr;
    case ControlKind::Radio: return wxDynamicCast(w, wxRadioButton) != nullptr;
    case ControlKind::DropDown: return wxDynamicCast(w, wxChoice) != nullptr;
    case ControlKind::Edit: return wxDynamicCast(w, wxTextCtrl) != nullptr;
    case ControlKind::Text: return wxDynamicCast(w, wxStaticText) != nullptr;
    case ControlKind::ListView: return wxDynamicCast(w, wxListCtrl) != nullptr;
    case ControlKind::Slider: return wxDynamicCast(w, wxSlider) != nullptr;
    case ControlKind::PictureFrame: return wxDynamicCast(w, wxStaticBox) != nullptr;
    default: return false;
  }
}

TEST_F(MainWindowGui, StartsWithEveryControlOfTheTemplateAndEndsThroughExit) {
  auto* window = new MainWindow(nullptr, dir.string());
  bool checked = false;
  test::AfterIdle(window, [&] {
    wxTopLevelWindow* top = FindTopLevel("Brindle_3.10");
    ASSERT_EQ(top, window);
    EXPECT_EQ(window->GetClientSize(), wxSize(1046, 618));

    const std::set<int> enabledAfterStart = {
        id::kOpenFile,    id::kExit,          id::kLevelSlider, id::kSelectionNumber,
        id::kDeviceList,  id::kPortList,      id::kBaudList,    id::kBitLengthList,
        id::kParityList,  id::kStopBitList,   id::kHandshakeList, id::kIpAddress,
        id::kTcpPort,     id::kLogoList,      id::kFileCounter, id::kSizeCounter,
        id::kWidthText,   id::kHeightText,    id::kLeftPanel,   id::kRightPanel};
    for (const ControlTemplate& c : MainDialogTemplate().controls) {
      if (c.id == id::kStatic) continue;
      SCOPED_TRACE(c.id);
      wxWindow* w = window->FindWindow(c.id);
      ASSERT_NE(w, nullptr);
      EXPECT_TRUE(IsKind(w, c.kind));
      EXPECT_EQ(w->GetPosition(), wxPoint(2 * c.x, 2 * c.y));
      EXPECT_EQ(w->GetSize().x, 2 * c.width);
      if (c.kind == ControlKind::Button || c.kind == ControlKind::Radio) {
        EXPECT_EQ(wxControl::RemoveMnemonics(w->GetLabel()).utf8_string(), std::string(c.caption));
      }
      EXPECT_EQ(w->IsEnabled(), enabledAfterStart.count(c.id) == 1);
    }
    // The visible group captions and labels.
    std::set<std::string> labels;
    for (wxWindow* child : window->GetChildren()) labels.insert(wxControl::RemoveMnemonics(child->GetLabel()).utf8_string());
    for (const char* caption : {"File List", "Preview", "HalfTone", "Port Setting",
                                "Logo Printout", "Quality", "Printing Range", "Device Name",
                                "BaudRate :", "IP Address", "Port Number", "Handshake :"}) {
      EXPECT_EQ(labels.count(caption), 1u) << caption;
    }
    auto* port = wxDynamicCast(window->FindWindow(id::kPortList), wxChoice);
    EXPECT_EQ(port->GetStringSelection(), "COM1");
    auto* ip = wxDynamicCast(window->FindWindow(id::kIpAddress), wxTextCtrl);
    EXPECT_FALSE(ip->IsEditable());
    EXPECT_EQ(wxDynamicCast(window->FindWindow(id::kTcpPort), wxTextCtrl)->GetValue(), "9100");
    EXPECT_EQ(wxDynamicCast(window->FindWindow(id::kFileCounter), wxStaticText)->GetLabelText(),
              "Logo Files : 0 / 255");
    EXPECT_EQ(wxDynamicCast(window->FindWindow(id::kLevelSlider), wxSlider)->GetValue(), 5);

    EXPECT_TRUE(test::SaveWindowScreenshot(window, test::ScreenshotPath("main-window.png")));

    // Choosing TCP/IP the way a user does makes the address writable.
    port->SetSelection(3);
    wxCommandEvent change(wxEVT_CHOICE, id::kPortList);
    change.SetEventObject(port);
    port->GetEventHandler()->ProcessEvent(change);
    EXPECT_TRUE(ip->IsEditable());
    EXPECT_FALSE(window->FindWindow(id::kBaudList)->IsEnabled());

    checked = true;
    test::ClickButton(window, id::kExit);
  });
  EXPECT_EQ(window->RunModal(), wxID_CANCEL);
  EXPECT_TRUE(checked);
  test::DestroyWindow(window);
}

TEST_F(MainWindowGui, EscapeEndsTheWindowAtOnce) {
  auto* window = new MainWindow(nullptr, dir.string());
  test::AfterIdle(window, [&] {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(key);
  });
  EXPECT_EQ(window->RunModal(), wxID_CANCEL);
  test::DestroyWindow(window);
}

// Hostile settings cannot keep the window from appearing: a files.ini that
// is /dev/zero, one naming 100,000 missing logos, and logos that are FIFOs
// (which would block an open) are all dealt with in at most 11 boxes.
TEST(HostileSettingsGui, TheWindowAppearsWithinFiveSecondsAfterAtMostElevenBoxes) {
  std::string missing = "[LOGO]\r\r\n";
  for (int i = 0; i < 100000; ++i) missing += "Logofile=/no/such/logo.bmp|logo.bmp\r\r\n";
  test::TempDir fifos;
  for (const char* name : {"f.bmp", "f.jpg"}) {
    ASSERT_EQ(::mkfifo(fifos.File(name).c_str(), 0600), 0);
  }
  const struct {
    std::string list;  // files.ini, or "" for a link to /dev/zero
    std::size_t boxes;
    std::string last;
  } cases[] = {
      {"", 0, ""},
      {missing, 11, "245 more logo files could not be loaded."},
      {"[LOGO]\r\r\nLogofile1=" + fifos.File("f.bmp") + "|f.bmp\r\r\nLogofile2=" +
           fifos.File("f.jpg") + "|f.jpg\r\r\n",
       2, "Out of range bitmap file."},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    if (c.list.empty()) fs::create_symlink("/dev/zero", dir.File("files.ini"));
    else dir.Write("files.ini", c.list);

    test::MessageAnswerer answerer;
    answerer.delayMs = 20;
    answerer.Register();
    auto* window = new MainWindow(nullptr, dir.str());
    const auto start = std::chrono::steady_clock::now();
    auto appeared = std::chrono::steady_clock::duration::max();
    // Boxes run event loops of their own before the window's, so the
    // window is watched for until it is shown in its own modal loop.
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      if (!window->IsModal() || !window->IsShownOnScreen()) return;
      watch.Stop();
      appeared = std::chrono::steady_clock::now() - start;
      test::ClickButton(window, id::kExit);
    });
    watch.Start(20);
    window->RunModal();
    answerer.Unregister();
    test::DestroyWindow(window);
    EXPECT_LT(appeared, std::chrono::seconds(5)) << c.boxes;
    ASSERT_EQ(answerer.shown.size(), c.boxes);
    if (c.boxes > 0) {
      EXPECT_EQ(answerer.shown.back().text, c.last);
    }
  }
}

}  // namespace
}  // namespace brindle
