#include "app/wx/MainApp.h"

#include <wx/image.h>

#include <cstdio>
#include <string>

#include "app/wx/GtkTheme.h"
#include "app/wx/MainWindow.h"
#include "image/TempFiles.h"
#include "settings/ThisCopy.h"

namespace brindle {

Places CMainApp::places;
bool CMainApp::windowRan = false;

bool CMainApp::OnInit() {
  wxInitAllImageHandlers();
  InstallCompactTheme();
  SetTempPictureDir(places.pictureDir);
  // A folder that cannot be made leaves the preview's converted side empty.
  if (!places.pictureDir.empty()) MakePrivateDirs(places.pictureDir);
  {
    MainWindow window(nullptr, places.settingsDir);
    SetTopWindow(&window);
    window.RunModal();
    windowRan = true;
  }
  // No message loop of our own: the process ends with the dialog.
  return false;
}

}  // namespace brindle

wxIMPLEMENT_APP_NO_MAIN(brindle::CMainApp);

// --help and --version are answered before the toolkit starts, so they
// work without a display; everything else goes to the toolkit as before.
int main(int argc, char** argv) {
  using namespace brindle;
  CMainApp::places = FindPlaces(kThisCopy, ExecutableDir(), ProcessEnvironment());
  const std::string option = argc > 1 ? argv[1] : "";
  if (option == "--version") {
    std::printf("brindle %s\n%s", BRINDLE_VERSION, DescribePlaces(CMainApp::places).c_str());
    return 0;
  }
  if (option == "--help" || option == "-h") {
    std::fputs("usage: brindle [--help | --version]\n"
               "Opens the main window: collect logo pictures, preview their black-and-white\n"
               "conversion, store them in a receipt printer's NV memory, erase it and print\n"
               "stored logos.\n"
               "  --help      show this text\n"
               "  --version   show the version and where the settings and temporary\n"
               "              pictures are kept\n",
               stdout);
    return 0;
  }
  wxEntry(argc, argv);
  return CMainApp::windowRan ? 0 : 1;
}
