// main() of a GUI test executable: starts wxWidgets on the X display, then
// runs the tests on the user-interface thread.
#include "gui/GuiTestMain.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/msgdlg.h>

#include <wx/time.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/wx/GtkTheme.h"

namespace brindle::test {

void PumpEvents(int ms) {
  const wxLongLong end = wxGetLocalTimeMillis() + ms;
  do {
    wxYield();
    wxMilliSleep(10);
  } while (wxGetLocalTimeMillis() < end);
}

wxImage GrabScreen(const wxRect& area) {
  // wxScreenDC on GTK 3 may hand back an old copy of the screen; ImageMagick
  // reads what the X server shows now.
  const std::string file = ScreenshotPath(".grab-" + std::to_string(::getpid()) + ".png");
  const std::string command = "import -window root -crop " + std::to_string(area.width) + "x" +
                              std::to_string(area.height) + "+" + std::to_string(area.x) + "+" +
                              std::to_string(area.y) + " +repage " + file;
  wxImage image;
  if (std::system(command.c_str()) == 0) image.LoadFile(wxString::FromUTF8(file));
  std::remove(file.c_str());
  return image;
}

wxImage GrabClient(wxWindow* window, int x, int y, int width, int height) {
  window->Update();
  PumpEvents(100);
  const wxPoint origin = window->ClientToScreen(wxPoint(x, y));
  return GrabScreen(wxRect(origin, wxSize(width, height)));
}

bool SaveWindowScreenshot(wxWindow* window, const std::string& path) {
  window->Update();
  PumpEvents(100);
  const wxImage image = GrabScreen(window->GetScreenRect());
  return image.IsOk() && image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

void AfterIdle(wxWindow* window, std::function<void()> step) {
  window->CallAfter([window, step = std::move(step)] {
    // Without a window manager the window is mapped and painted a little
    // after the modal loop starts.
    for (int i = 0; i < 200 && !window->IsShownOnScreen(); ++i) PumpEvents(10);
    PumpEvents(300);
    step();
  });
}

namespace {

// Runs queued steps from a one-shot timer; deletes itself after the last.
class StepRunner : public wxTimer {
 public:
  StepRunner(std::vector<std::function<void()>> steps, int gapMs)
      : steps_(std::move(steps)), gapMs_(gapMs) {}
  void Notify() override {
    if (next_ < steps_.size()) steps_[next_++]();
    if (next_ < steps_.size()) {
      StartOnce(gapMs_);
    } else {
      delete this;
    }
  }

 private:
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
  int gapMs_;
};

}  // namespace

void RunSteps(wxWindow* window, std::vector<std::function<void()>> steps, int gapMs) {
  auto* runner = new StepRunner(std::move(steps), gapMs);
  window->CallAfter([window, runner, gapMs] {
    for (int i = 0; i < 200 && !window->IsShownOnScreen(); ++i) PumpEvents(10);
    runner->StartOnce(gapMs);
  });
}

void DestroyWindow(wxWindow* window) {
  window->Destroy();
  wxTheApp->ProcessIdle();  // deletes windows pending destruction
  PumpEvents(100);
}

void ClickAt(wxWindow* control, int x, int y) {
  ASSERT_NE(control, nullptr);
  const wxPoint p = control->ClientToScreen(wxPoint(x, y));
  const std::string command = "xdotool mousemove " + std::to_string(p.x) + " " +
                              std::to_string(p.y) + " click 1";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

void ClickButton(wxWindow* window, int id) {
  wxWindow* button = window->FindWindow(id);
  ASSERT_NE(button, nullptr) << id;
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

int MessageAnswerer::Enter(wxDialog* dialog) {
  auto* box = wxDynamicCast(dialog, wxMessageDialog);
  if (!box) return wxID_NONE;
  shown.push_back({box->GetMessage().utf8_string(), box->GetTitle().utf8_string()});
  const bool question = (box->GetMessageDialogStyle() & wxYES_NO) != 0;
  const std::string text = box->GetMessage().utf8_string();
  const std::string screenshot =
      !screenshotWhen.empty() && text.rfind(screenshotWhen, 0) == 0 ? screenshotFile : "";
  // The box is shown by GTK's own loop; a timer answers it from there.
  auto* timer = new wxTimer;
  timer->Bind(wxEVT_TIMER, [box, timer, question, screenshot](wxTimerEvent&) {
    if (!screenshot.empty()) {
      const std::string command = "import -window \"$(xdotool search --sync --onlyvisible "
                                  "--name '^" + box->GetTitle().utf8_string() +
                                  "$' | tail -n 1)\" " + ScreenshotPath(screenshot);
      EXPECT_EQ(std::system(command.c_str()), 0);
    }
    gtk_dialog_response(GTK_DIALOG(box->GetHandle()),
                        question ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
    timer->Stop();
    timer->CallAfter([timer] { delete timer; });
  });
  timer->StartOnce(delayMs);
  return wxID_NONE;
}

std::string ScreenshotPath(const std::string& name) {
  const char* dir = std::getenv("BRINDLE_SCREENSHOT_DIR");
  return std::string(dir && *dir ? dir : ".") + "/" + name;
}

}  // namespace brindle::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "cannot start wxWidgets (no display?)\n");
    return 1;
  }
  wxInitAllImageHandlers();
  brindle::InstallCompactTheme();
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
