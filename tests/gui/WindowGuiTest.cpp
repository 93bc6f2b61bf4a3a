// The real window driven as a user does, nothing faked, and the brindle
// program started and closed.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <cstring>

#include "app/wx/MainWindow.h"
#include "gui/GuiTestMain.h"
#include "image/LogoConversion.h"
#include "image/TempFiles.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

const std::string kSamples = BRINDLE_SOURCE_DIR "/res/samples/";

wxImage Load(const std::string& path) {
  wxImage image(wxString::FromUTF8(path));
  EXPECT_TRUE(image.IsOk()) << path;
  return image;
}

// Whether two pictures match outside a border of `m` (where the panel frame is).
bool Same(const wxImage& a, const wxImage& b, int m = 2) {
  const wxRect inner = wxRect(a.GetSize()).Deflate(m);
  return a.IsOk() && a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetSubImage(inner).GetData(), b.GetSubImage(inner).GetData(),
                     3 * std::size_t(inner.width * inner.height)) == 0;
}

wxImage Client(wxWindow* window, int x, int y, int width, int height) {
  return test::Grab(wxRect(window->ClientToScreen(wxPoint(x, y)), wxSize(width, height)));
}

TEST(WindowGui, AddPreviewUploadPrintEraseAndHalftone) {
  test::TempDir settings, work, printerOut;
  SetTempPictureDir(work.str());  // where the conversion writes Temp.bmp
  settings.Write("files.ini", "[LOGO]\r\r\nLogofile1=" + kSamples + "mono-shop.bmp|mono-shop.bmp"
                              "|0|0|0\r\r\nLogofile2=" + kSamples + "gray-cafe.bmp|gray-cafe.bmp"
                              "|0|0|0\r\r\n");
  const std::string port = std::to_string(20000 + ::getpid() % 20000);
  test::BackgroundProcess printer(
      {BRINDLE_PRINTER_EXE, "--port", port, "--out", printerOut.str()});
  ASSERT_EQ(printer.ReadLine(), "listening on 127.0.0.1:" + port);
  test::MessageAnswerer answerer;
  answerer.file = kSamples + "colour-fruit.bmp";
  answerer.Register();
  auto* window = new MainWindow(nullptr, settings.str());
  auto* list = static_cast<wxListCtrl*>(window->FindWindow(id::kLogoList));
  const auto session = [&] {
    // Built from the template at 2 pixels per dialog unit.
    const DialogTemplate& dialog = MainDialogTemplate();
    EXPECT_EQ(window->GetClientSize(), wxSize(2 * dialog.width, 2 * dialog.height));
    for (const ControlTemplate& c : dialog.controls) {
      if (c.id == id::kStatic) continue;
      wxWindow* w = window->FindWindow(c.id);
      ASSERT_NE(w, nullptr) << c.id;
      EXPECT_EQ(w->GetPosition(), wxPoint(2 * c.x, 2 * c.y)) << c.id;
      EXPECT_EQ(w->GetSize().x, 2 * c.width) << c.id;
    }
    test::Command(window, id::kOpenFile);
    ASSERT_EQ(list->GetItemCount(), 3);
    // The added logo is previewed: the file left, its conversion right.
    const wxImage converted = Load(work.File("Temp.bmp"));
    EXPECT_TRUE(Same(Client(window, 704, 28, 240, 96), converted));
    EXPECT_TRUE(Same(Client(window, 370, 28, 240, 96), Load(kSamples + "colour-fruit.bmp")));

    // Upload, Printout and Erase to brindle-printer over TCP/IP.
    static_cast<wxChoice*>(window->FindWindow(id::kPortList))->SetSelection(3);
    test::Command(window, id::kPortList, wxEVT_CHOICE);
    static_cast<wxTextCtrl*>(window->FindWindow(id::kIpAddress))->SetValue("127.0.0.1");
    static_cast<wxTextCtrl*>(window->FindWindow(id::kTcpPort))->SetValue(port);
    test::Command(window, id::kUpload);
    ASSERT_EQ(answerer.shown.size(), 2u);
    EXPECT_EQ(answerer.shown[0].first,
              "Logo file is written in the NV image area of the device. Continue it?");
    EXPECT_EQ(answerer.shown[1].first,
              "Upload finished, and Writing of bit image completed. \r\nLogo becomes available "
              "after the reset of a device.");
    EXPECT_NE(printer.ReadLine().find("NV 3 images"), std::string::npos);
    int k = 1;  // each stored image is what the preview shows for its logo
    for (const char* logo : {"mono-shop.bmp", "gray-cafe.bmp", "colour-fruit.bmp"}) {
      EXPECT_TRUE(Same(Load(printerOut.File("nv-" + std::to_string(k++) + ".png")),
                       Load(MakePreviewFile(kSamples + logo, 0, 5)), 0)) << logo;
    }
    test::Command(window, id::kPrintout);  // "All" is chosen at start
    printer.ReadLine();
    EXPECT_GE(Load(printerOut.File("page-1.png")).GetHeight(), 64 + 120 + 96);
    test::Command(window, id::kErase);
    ASSERT_EQ(answerer.shown.size(), 4u);
    EXPECT_EQ(answerer.shown[2].first, "NV image all Delete. Continue it?");
    EXPECT_EQ(answerer.shown[3].second, "Erase");
    EXPECT_NE(printer.ReadLine().find("NV 0 images"), std::string::npos);

    // "Error Diffusion", then the slider's trough at 8 (ends 10 px inside).
    test::ClickAt(window->FindWindow(id::kHalftoneDiffusion), 8, 8);
    test::PumpEvents(400);
    auto* slider = window->FindWindow(id::kLevelSlider);
    test::ClickAt(slider, 10 + (slider->GetSize().x - 20) * 8 / 10, slider->GetSize().y / 2);
    test::PumpEvents(400);
    EXPECT_EQ(window->logic().halftoneMode(), 1);
    EXPECT_EQ(window->logic().level(), 8);
    const wxImage diffused = Load(work.File("Temp.bmp"));
    EXPECT_FALSE(Same(diffused, converted));
    EXPECT_TRUE(Same(Client(window, 704, 28, 240, 96), diffused));
    test::ClickAt(list, 60, 30);  // the first row: the 1-bit logo on both sides
    test::PumpEvents(400);
    EXPECT_EQ(window->logic().previewPath(), kSamples + "mono-shop.bmp");
    EXPECT_TRUE(Same(Client(window, 704, 28, 256, 64), Client(window, 370, 28, 256, 64)));
  };
  window->CallAfter([&] {
    for (int i = 0; i < 200 && !window->IsShownOnScreen(); ++i) test::PumpEvents(10);
    session();  // on a failed ASSERT too, Esc then ends the window
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(window);
    window->ProcessWindowEvent(escape);
  });
  EXPECT_EQ(window->RunModal(), wxID_CANCEL);
  answerer.Unregister();
  window->Destroy();
  SetTempPictureDir("");
}

// The program reads the logo list beside its executable, shows its window
// after the splash, and "Exit" clicked with the mouse writes the list back
// with the sizes worked out again, and the port settings beside it.
TEST(WindowGui, TheProgramKeepsItsSettingsBesideTheExecutable) {
  test::TempDir install;
  std::filesystem::copy_file(BRINDLE_EXE, install.File("brindle"));
  const std::string list = "[LOGO]\r\r\nLogofile1=" + kSamples + "mono-shop.bmp|mono-shop.bmp|";
  install.Write("files.ini", list + "0|0|0\r\r\n");
  test::BackgroundProcess program({install.File("brindle")});
  const char* dir = std::getenv("BRINDLE_SCREENSHOT_DIR");
  const auto run = test::RunProcess(  // "Exit" lies at x 842..1016, y 550..596
      {"/bin/sh", "-c",
       "id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Brindle_3.10$' | head -1) &&"
       " sleep 0.5 && import -window $id \"$0/program.png\" && xdotool mousemove --window $id"
       " 928 572 click 1", dir && *dir ? dir : "."});
  ASSERT_EQ(run.status, 0) << run.err;
  // The list is written first, then the port settings.
  for (int i = 0; i < 100 && !install.Exists("nvupload.ini"); ++i) test::PumpEvents(100);
  EXPECT_EQ(install.Read("files.ini"), list + "2048|64|256\r\r\n");
}

}  // namespace
}  // namespace brindle
