#pragma once
// The application object: runs the main window once, modally, and ends the
// process when it closes.
#include <wx/app.h>

#include <string>

namespace brindle {

class CMainApp final : public wxApp {
 public:
  bool OnInit() override;
};

// Directory of the running executable; the settings files live there.
std::string ExecutableDir();

}  // namespace brindle
