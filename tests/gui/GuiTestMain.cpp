// main() of a GUI test executable: starts wxWidgets on the X display, then
// runs the tests on the user-interface thread.
#include "gui/GuiTestMain.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdlib>

#include "app/wx/GtkTheme.h"

namespace brindle::test {

bool SaveWindowScreenshot(wxWindow* window, const std::string& path) {
  window->Update();
  wxYield();
  const wxRect r = window->GetScreenRect();
  wxScreenDC screen;
  wxBitmap bitmap(r.width, r.height, 24);
  wxMemoryDC mem(bitmap);
  mem.Blit(0, 0, r.width, r.height, &screen, r.x, r.y);
  mem.SelectObject(wxNullBitmap);
  return bitmap.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

void AfterIdle(wxWindow* window, std::function<void()> step) {
  window->CallAfter([step = std::move(step)] {
    wxYield();
    step();
  });
}

void ClickButton(wxWindow* window, int id) {
  wxWindow* button = window->FindWindow(id);
  ASSERT_NE(button, nullptr) << id;
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
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
