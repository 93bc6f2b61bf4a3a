#pragma once
// main() and helpers of the tests that run real windows under Xvfb.
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/window.h>

#include <string>
#include <vector>

namespace brindle::test {

// Handles pending events for about `ms` milliseconds.
void PumpEvents(int ms);

// What the X server shows in a rectangle of the screen.
wxImage Grab(const wxRect& area);

// A left click at (x, y) of `control` with synthetic X input, as a user's.
void ClickAt(wxWindow* control, int x, int y);

// The event of control `id` of `window` that a user's click or choice sends.
void Command(wxWindow* window, int id, wxEventType type = wxEVT_BUTTON);

// Answers each message box on the screen (Yes to questions, else OK) and
// keeps its text and caption; a file dialog chooses `file`.
class MessageAnswerer : public wxModalDialogHook {
 public:
  std::vector<std::pair<std::string, std::string>> shown;
  std::string file;

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}
};

}  // namespace brindle::test
