// Upload, Printout and Erase from the real window, with no fake anywhere:
// the window is driven through its controls, the job talks TCP to the
// virtual printer on 127.0.0.1:9100, and message boxes are answered by a
// hook the way a user would answer them.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <thread>

#include "app/wx/MainWindow.h"
#include "gui/GuiTestMain.h"
#include "image/LogoConversion.h"
#include "res/ControlIds.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

const std::string kSamples = std::string(BRINDLE_SOURCE_DIR) + "/res/samples/";
const char* const kLogos[] = {"mono-shop.bmp", "gray-cafe.bmp", "colour-fruit.bmp"};

// Takes a screenshot of the progress window while the main thread is
// blocked in the job's waits, from a second thread that only runs tools.
std::thread ScreenshotProgress(const std::string& caption, const std::string& file) {
  return std::thread([caption, file] {
    const std::string command = "timeout 20 xdotool search --sync --onlyvisible --name '^" +
                                caption + "$' >/dev/null && sleep 2.2 && import -window " +
                                "\"$(xdotool search --onlyvisible --name '^" + caption +
                                "$' | tail -n 1)\" " + test::ScreenshotPath(file);
    EXPECT_EQ(std::system(command.c_str()), 0);
  });
}

// Dark pixels of a picture file, top row first.
std::vector<bool> DarkDots(const std::string& path, wxSize* size) {
  wxImage image;
  EXPECT_TRUE(image.LoadFile(wxString::FromUTF8(path))) << path;
  *size = image.GetSize();
  std::vector<bool> dots;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) {
      dots.push_back(image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 384);
    }
  }
  return dots;
}

class DeviceOpsGui : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(getcwd(oldDir, sizeof oldDir));
    ASSERT_EQ(chdir(work.str().c_str()), 0);
    std::string list = "[LOGO]\r\r\n";
    int k = 1;
    for (const char* logo : kLogos) {
      list += "Logofile" + std::to_string(k++) + "=" + kSamples + logo + "|" + logo + "|0|0|0\r\r\n";
    }
    settings.Write("files.ini", list);
    answerer.Register();
  }
  void TearDown() override {
    answerer.Unregister();
    ASSERT_EQ(chdir(oldDir), 0);
  }
  void ChooseTcp(MainWindow* window) {
    auto* port = static_cast<wxChoice*>(window->FindWindow(id::kPortList));
    port->SetSelection(3);
    wxCommandEvent change(wxEVT_CHOICE, id::kPortList);
    change.SetEventObject(port);
    port->GetEventHandler()->ProcessEvent(change);
    auto* ip = static_cast<wxTextCtrl*>(window->FindWindow(id::kIpAddress));
    ASSERT_TRUE(ip->IsEditable());
    ip->SetValue("127.0.0.1");
  }

  char oldDir[4096] = {};
  test::TempDir settings, work, printerOut;
  test::MessageAnswerer answerer;
};

TEST_F(DeviceOpsGui, UploadPrintoutAndEraseOverTcpToTheVirtualPrinter) {
  auto* window = new MainWindow(nullptr, settings.str());
  std::unique_ptr<test::BackgroundProcess> printer;
  bool done = false;
  test::RunSteps(window, {[&] {
    ChooseTcp(window);
    // Nothing listens on 9100 yet.
    test::ClickButton(window, id::kUpload);
    ASSERT_EQ(answerer.shown.size(), 3u);
    EXPECT_EQ(answerer.shown[1].text, "Fail to Connection to POSPrinter(IP=127.0.0.1 Port=9100)");
    EXPECT_EQ(answerer.shown[2].text, "Communication error. Can not be transmitted.");
    EXPECT_EQ(answerer.shown[2].caption, "Upload");
    answerer.shown.clear();

    printer = std::make_unique<test::BackgroundProcess>(std::vector<std::string>{
        BRINDLE_PRINTER_EXE, "--port", "9100", "--out", printerOut.str()});
    ASSERT_EQ(printer->ReadLine(), "listening on 127.0.0.1:9100");
  }, [&] {
    std::thread progressShot = ScreenshotProgress("Uploading...", "progress.png");
    answerer.screenshotWhen = "Upload finished, and Writing";
    answerer.screenshotFile = "upload-finished.png";
    test::ClickButton(window, id::kUpload);
    progressShot.join();
    ASSERT_EQ(answerer.shown.size(), 2u);
    EXPECT_EQ(answerer.shown[0].text,
              "Logo file is written in the NV image area of the device. Continue it?");
    EXPECT_EQ(answerer.shown[1].text,
              "Upload finished, and Writing of bit image completed. \r\nLogo becomes available "
              "after the reset of a device.");
    EXPECT_EQ(printer->ReadLine().find("NV 3 images") != std::string::npos, true);
    // Each stored image is the picture the preview shows for that logo.
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(kLogos[i]);
      const std::string shown = MakePreviewFile(kSamples + kLogos[i], 0, 5);
      wxSize shownSize, storedSize;
      const auto expected = DarkDots(shown, &shownSize);
      const auto stored = DarkDots(printerOut.File("nv-" + std::to_string(i + 1) + ".png"),
                                   &storedSize);
      EXPECT_EQ(storedSize, shownSize);
      EXPECT_TRUE(stored == expected);
    }
  }, [&] {
    answerer.shown.clear();
    test::ClickButton(window, id::kPrintout);  // "All" is chosen at start
    EXPECT_TRUE(answerer.shown.empty());
    printer->ReadLine();
    EXPECT_TRUE(printerOut.Exists("page-1.png"));
    wxSize pageSize;
    DarkDots(printerOut.File("page-1.png"), &pageSize);
    EXPECT_GE(pageSize.y, 64 + 120 + 96);  // the three logos, one below the other
  }, [&] {
    answerer.shown.clear();
    test::ClickButton(window, id::kErase);
    ASSERT_EQ(answerer.shown.size(), 2u);
    EXPECT_EQ(answerer.shown[0].text, "NV image all Delete. Continue it?");
    EXPECT_EQ(answerer.shown[1].caption, "Erase");
    EXPECT_NE(printer->ReadLine().find("NV 0 images"), std::string::npos);
    done = true;
    test::ClickButton(window, id::kExit);
  }});
  window->RunModal();
  EXPECT_TRUE(done);
  test::DestroyWindow(window);
}

}  // namespace
}  // namespace brindle
