#include "app/wx/MainApp.h"

#include <wx/image.h>

#include <filesystem>
#include <system_error>

#include "app/wx/GtkTheme.h"
#include "app/wx/MainWindow.h"

namespace brindle {

std::string ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool CMainApp::OnInit() {
  wxInitAllImageHandlers();
  InstallCompactTheme();
  {
    MainWindow window(nullptr, ExecutableDir());
    SetTopWindow(&window);
    window.RunModal();
  }
  // No message loop of our own: the process ends with the dialog.
  return false;
}

}  // namespace brindle

wxIMPLEMENT_APP(brindle::CMainApp);
