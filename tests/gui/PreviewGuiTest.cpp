// The real window started with a saved logo list: the list, the counters
// and the preview as the screen shows them.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <filesystem>

#include "app/wx/MainWindow.h"
#include "gui/GuiTestMain.h"
#include "res/ControlIds.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

const std::string kSamples = std::string(BRINDLE_SOURCE_DIR) + "/res/samples/";

// Pixels that differ, leaving out a border of `margin` pixels: the panel's
// frame is drawn over the edge of the picture.
int CountDifferentPixels(const wxImage& a, const wxImage& b, int margin = 0) {
  int different = 0;
  for (int y = margin; y < a.GetHeight() - margin; ++y) {
    for (int x = margin; x < a.GetWidth() - margin; ++x) {
      if (a.GetRed(x, y) != b.GetRed(x, y) || a.GetGreen(x, y) != b.GetGreen(x, y) ||
          a.GetBlue(x, y) != b.GetBlue(x, y)) {
        ++different;
      }
    }
  }
  return different;
}

std::string LabelOf(wxWindow* window, int id) {
  return static_cast<wxStaticText*>(window->FindWindow(id))->GetLabelText().utf8_string();
}

class PreviewGui : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(getcwd(oldDir, sizeof oldDir));
    ASSERT_EQ(chdir(work.str().c_str()), 0);  // the conversion writes Temp.bmp here
    settings.Write("files.ini",
                   "[LOGO]\r\r\n"
                   "Logofile1=" + kSamples + "mono-shop.bmp|mono-shop.bmp|2048|64|256\r\r\n"
                   "Logofile2=" + kSamples + "gray-cafe.bmp|gray-cafe.bmp|3000|120|200\r\r\n"
                   "Logofile3=" + kSamples + "colour-fruit.bmp|colour-fruit.bmp|2880|96|240\r\r\n");
  }
  void TearDown() override { ASSERT_EQ(chdir(oldDir), 0); }

  char oldDir[4096] = {};
  test::TempDir settings;
  test::TempDir work;
};

TEST_F(PreviewGui, SavedListIsShownAndThePreviewMatchesTheConvertedFile) {
  auto* window = new MainWindow(nullptr, settings.str());
  bool ran = false;
  wxImage converted;
  test::RunSteps(window, {[&] {
    auto* list = static_cast<wxListCtrl*>(window->FindWindow(id::kLogoList));
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 2), "mono-shop.bmp");
    EXPECT_EQ(list->GetItemText(1, 1), "2");
    EXPECT_EQ(list->GetItemText(2, 3), "2880");
    EXPECT_EQ(LabelOf(window, id::kFileCounter), "Logo Files : 3 / 255");
    EXPECT_EQ(LabelOf(window, id::kSizeCounter), "Logo size total : 7 / 250 KBytes");
    EXPECT_EQ(LabelOf(window, id::kWidthText), "Width : 240");
    EXPECT_TRUE(window->FindWindow(id::kUpload)->IsEnabled());

    // The colour logo, last in the list, is in the preview: the right half
    // shows Temp.bmp at its own size (240 x 96 needs no scaling).
    ASSERT_TRUE(converted.LoadFile(work.File("Temp.bmp")));
    ASSERT_EQ(converted.GetSize(), wxSize(240, 96));
    const wxImage right = test::GrabClient(window, 704, 28, 240, 96);
    EXPECT_EQ(CountDifferentPixels(right, converted, 2), 0);
    const wxImage left = test::GrabClient(window, 370, 28, 240, 96);
    wxImage original;
    ASSERT_TRUE(original.LoadFile(kSamples + "colour-fruit.bmp"));
    EXPECT_EQ(CountDifferentPixels(left, original, 2), 0);
    EXPECT_TRUE(test::SaveWindowScreenshot(window, test::ScreenshotPath("preview.png")));

  }, [&] {
    // A user's clicks: "Error Diffusion", then the slider released at 8.
    test::ClickAt(window->FindWindow(id::kHalftoneDiffusion), 8, 8);
  }, [&] {
    EXPECT_EQ(window->logic().halftoneMode(), 1);
    auto* slider = static_cast<wxSlider*>(window->FindWindow(id::kLevelSlider));
    // GTK moves the slider to where the trough is clicked; its ends lie
    // about 10 pixels inside the control.
    const int width = slider->GetSize().x;
    test::ClickAt(slider, 10 + (width - 20) * 8 / 10, slider->GetSize().y / 2);
  }, [&] {
    auto* slider = static_cast<wxSlider*>(window->FindWindow(id::kLevelSlider));
    EXPECT_EQ(slider->GetValue(), 8);
    EXPECT_EQ(window->logic().level(), 8);
  }, [&] {
    wxImage diffused;
    ASSERT_TRUE(diffused.LoadFile(work.File("Temp.bmp")));
    EXPECT_GT(CountDifferentPixels(diffused, converted), 100);
    EXPECT_EQ(CountDifferentPixels(test::GrabClient(window, 704, 28, 240, 96), diffused, 2), 0);
    EXPECT_TRUE(test::SaveWindowScreenshot(window, test::ScreenshotPath("preview-diffusion.png")));
  }, [&] {
    // Clicking the first row shows the 1-bit logo on both sides; moving the
    // selection with the keyboard shows nothing new.
    test::ClickAt(window->FindWindow(id::kLogoList), 60, 30);
  }, [&] {
    EXPECT_EQ(window->logic().previewPath(), kSamples + "mono-shop.bmp");
    EXPECT_EQ(LabelOf(window, id::kWidthText), "Width : 256");
    const wxImage left = test::GrabClient(window, 370, 28, 256, 64);
    EXPECT_EQ(CountDifferentPixels(test::GrabClient(window, 704, 28, 256, 64), left, 2), 0);
    window->FindWindow(id::kLogoList)->SetFocus();
    EXPECT_EQ(std::system("xdotool key Down"), 0);
  }, [&] {
    EXPECT_EQ(window->logic().previewPath(), kSamples + "mono-shop.bmp");
    ran = true;
    test::ClickButton(window, id::kExit);
  }});
  window->RunModal();
  EXPECT_TRUE(ran);
  test::DestroyWindow(window);
  // The close request wrote the list back.
  EXPECT_NE(settings.Read("files.ini").find("Logofile3="), std::string::npos);
}

}  // namespace
}  // namespace brindle
