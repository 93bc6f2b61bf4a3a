#pragma once
// The application object: runs the main window once, modally, and ends the
// process when it closes.
#include <wx/app.h>

#include "settings/Places.h"

namespace brindle {

class CMainApp final : public wxApp {
 public:
  // Where the window keeps its settings and pictures; set before wx starts.
  static Places places;
  // Whether the window ran; wx reports the intended `false` of OnInit as a
  // failed start, so the exit status is taken from this instead.
  static bool windowRan;
  bool OnInit() override;
};

}  // namespace brindle
