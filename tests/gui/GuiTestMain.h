#pragma once
// Shared helpers of the tests that run real windows under Xvfb.
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/window.h>

#include <functional>
#include <string>
#include <vector>

namespace brindle::test {

// Saves what the screen shows of `window` (frame included) as a PNG.
bool SaveWindowScreenshot(wxWindow* window, const std::string& path);

// What the screen shows in a rectangle (screen coordinates), and in a
// rectangle of a window's client area.
wxImage GrabScreen(const wxRect& area);
wxImage GrabClient(wxWindow* window, int x, int y, int width, int height);

// Handles pending events for about `ms` milliseconds.
void PumpEvents(int ms);

// Runs the steps one after another, each about `gapMs` after the previous
// one, returning to the window's event loop in between so that the screen
// shows what each step changed. The first runs once the window is shown.
void RunSteps(wxWindow* window, std::vector<std::function<void()>> steps, int gapMs = 400);

// Runs `step` once the event loop of a modal dialog is running.
void AfterIdle(wxWindow* window, std::function<void()> step);

// Destroys a top-level window now, so that the next test's window is the
// only one on the screen.
void DestroyWindow(wxWindow* window);

// Clicks the left mouse button at (x, y) of `control` with synthetic X
// input, as a user would.
void ClickAt(wxWindow* control, int x, int y);

// Sends a button click to the control `id` of `window`, as a user's click does.
void ClickButton(wxWindow* window, int id);

struct Shown {
  std::string text;
  std::string caption;
};

// Answers every message box once it is on the screen, after `delayMs`: Yes
// to questions, OK to the rest. Keeps what each said and, when asked, a
// screenshot.
class MessageAnswerer : public wxModalDialogHook {
 public:
  std::vector<Shown> shown;
  int delayMs = 300;
  // A message whose text begins with `screenshotWhen` is photographed into
  // `screenshotFile` before it is answered.
  std::string screenshotWhen;
  std::string screenshotFile;

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}
};

// Where a test writes its screenshots (BRINDLE_SCREENSHOT_DIR, else the
// current directory).
std::string ScreenshotPath(const std::string& name);

}  // namespace brindle::test
