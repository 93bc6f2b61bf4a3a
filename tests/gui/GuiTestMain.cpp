#include "gui/GuiTestMain.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/time.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <functional>

#include "app/wx/GtkTheme.h"

namespace brindle::test {

void PumpEvents(int ms) {
  const wxLongLong end = wxGetLocalTimeMillis() + ms;
  do {
    wxYield();
    wxMilliSleep(10);
  } while (wxGetLocalTimeMillis() < end);
}

namespace {

// Runs `step` from a one-shot timer after `ms`.
void Later(int ms, std::function<void()> step) {
  auto* timer = new wxTimer;
  timer->Bind(wxEVT_TIMER, [timer, step = std::move(step)](wxTimerEvent&) {
    step();
    timer->CallAfter([timer] { delete timer; });
  });
  timer->StartOnce(ms);
}

}  // namespace

// ImageMagick reads what the X server shows now (wxScreenDC on GTK 3 may not).
wxImage Grab(const wxRect& r) {
  PumpEvents(100);
  const wxString file = wxString::Format("/tmp/brindle-grab-%d.png", ::getpid());
  const wxString command = wxString::Format("import -window root -crop %dx%d+%d+%d +repage png24:",
                                            r.width, r.height, r.x, r.y) + file;
  wxImage image;
  if (std::system(command.utf8_str()) == 0) image.LoadFile(file);
  wxRemoveFile(file);
  return image;
}

void ClickAt(wxWindow* control, int x, int y) {
  const wxPoint p = control->ClientToScreen(wxPoint(x, y));
  EXPECT_EQ(std::system(wxString::Format("xdotool mousemove %d %d click 1", p.x, p.y).utf8_str()),
            0);
}

void Command(wxWindow* window, int id, wxEventType type) {
  wxCommandEvent event(type, id);
  event.SetEventObject(window->FindWindow(id));
  window->FindWindow(id)->ProcessWindowEvent(event);
}

// GTK runs the dialogs' loops; timers answer them from there.
int MessageAnswerer::Enter(wxDialog* dialog) {
  const auto respond = [dialog](int response) {
    gtk_dialog_response(GTK_DIALOG(dialog->GetHandle()), response);
  };
  if (wxDynamicCast(dialog, wxFileDialog)) {
    Later(300, [dialog, respond, file = file] {
      gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dialog->GetHandle()), file.c_str());
      Later(600, [respond] { respond(GTK_RESPONSE_ACCEPT); });
    });
  } else if (auto* box = wxDynamicCast(dialog, wxMessageDialog)) {
    shown.emplace_back(box->GetMessage().utf8_string(), box->GetTitle().utf8_string());
    const bool question = box->GetMessageDialogStyle() & wxYES_NO;
    Later(300, [respond, question] { respond(question ? GTK_RESPONSE_YES : GTK_RESPONSE_OK); });
  }
  return wxID_NONE;
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
