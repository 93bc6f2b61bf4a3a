#include "app/wx/MainWindow.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app/wx/AppIcon.h"
#include "app/wx/ControlFactory.h"
#include "app/wx/ProgressDlg.h"
#include "device/NVUploadCtrl.h"
#include "splash/wx/SplashScreenEx.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace brindle {

MainWindow::MainWindow(wxWindow* parent, const std::string& settingsDir) {
  Create(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  // The job object shows its TCP/IP connect messages through this window.
  ownCtrl_ = std::make_unique<CNVUploadCtrl>(*this);
  Build(*ownCtrl_, settingsDir);
}

MainWindow::MainWindow(wxWindow* parent, IUploadCtrl& uploadCtrl, const std::string& settingsDir) {
  Create(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
         wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  Build(uploadCtrl, settingsDir);
}

void MainWindow::Build(IUploadCtrl& uploadCtrl, const std::string& settingsDir) {
  const DialogTemplate& t = MainDialogTemplate();
  SetTitle(wxString::FromUTF8(t.caption.data(), t.caption.size()));
  SetFont(wxFont(9, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                 "DejaVu Sans"));
  CreateControls(this, t);
  SetClientSize(Px(t.width), Px(t.height));
  // Enter and Esc are handled here, not by buttons with standard ids.
  SetEscapeId(wxID_NONE);
  SetAffirmativeId(wxID_NONE);
  logic_ = std::make_unique<CMainDlg>(*this, uploadCtrl, settingsDir);
  BindEvents();
}

MainWindow::~MainWindow() = default;

int MainWindow::RunModal() {
  logic_->OnInitDialog();
  Centre();
  return ShowModal();
}

void MainWindow::BindEvents() {
  auto button = [this](int id, void (CMainDlg::*handler)()) {
    Bind(wxEVT_BUTTON, [this, handler](wxCommandEvent&) { ((*logic_).*handler)(); }, id);
  };
  button(id::kExit, &CMainDlg::OnExit);
  button(id::kOpenFile, &CMainDlg::OnOpenFile);
  button(id::kRemove, &CMainDlg::OnRemove);
  button(id::kReset, &CMainDlg::OnReset);
  button(id::kUpload, &CMainDlg::OnUpload);
  button(id::kErase, &CMainDlg::OnErase);
  button(id::kPrintout, &CMainDlg::OnPrintout);
  const int sizeRadios[] = {id::kSizeSingle, id::kSizeDoubleWide, id::kSizeDoubleHigh,
                            id::kSizeDoubleBoth};
  for (int i = 0; i < 4; ++i) {
    Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { logic_->OnQuality(i); }, sizeRadios[i]);
  }
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { logic_->OnRange(0); }, id::kRangeAll);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { logic_->OnRange(1); }, id::kRangeSelection);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { logic_->OnHalftoneNone(); },
       id::kHalftoneNone);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { logic_->OnHalftoneDiffusion(); },
       id::kHalftoneDiffusion);
  // The slider reconverts when the mouse lets it go (the end of a drag or
  // of a click), not at each move and not on keys; the handler runs once
  // the slider has taken its new position.
  Slider()->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
    e.Skip();
    CallAfter([this] { logic_->OnLevelReleased(); });
  });
  Bind(wxEVT_PAINT, &MainWindow::OnPaint, this);
  Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { logic_->OnPortSelChange(); }, id::kPortList);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { logic_->OnClose(); });
  Bind(wxEVT_CHAR_HOOK, &MainWindow::OnCharHook, this);
  // The selection mark follows every selection, by mouse or keys; only a
  // mouse click (also on empty space) shows the marked logo.
  Bind(wxEVT_LIST_ITEM_SELECTED,
       [this](wxListEvent& e) {
         selectionMark_ = static_cast<int>(e.GetIndex());
         e.Skip();
       },
       id::kLogoList);
  // The list's rows area is its tallest part (the other is the header).
  wxWindow* rows = nullptr;
  for (wxWindow* part : ListView()->GetChildren()) {
    if (!rows || part->GetSize().y > rows->GetSize().y) rows = part;
  }
  if (rows) {
    rows->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
      e.Skip();
      CallAfter([this] { logic_->OnListClick(); });
    });
  }
}

// Esc always ends the dialog; Enter ends it unless a push button has the
// focus (then the button is pressed as usual).
void MainWindow::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE) {
    logic_->OnEscapeKey();
    return;
  }
  if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    if (!wxDynamicCast(FindFocus(), wxButton)) {
      logic_->OnEnterKey();
      return;
    }
  }
  event.Skip();
}

wxWindow* MainWindow::Control(int id) const { return FindWindow(id); }

wxListCtrl* MainWindow::ListView() const {
  return static_cast<wxListCtrl*>(FindWindow(id::kLogoList));
}

wxSlider* MainWindow::Slider() const {
  return static_cast<wxSlider*>(FindWindow(id::kLevelSlider));
}

void MainWindow::ListAppend(int id, const std::string& text) {
  if (auto* c = wxDynamicCast(Control(id), wxChoice)) c->Append(wxString::FromUTF8(text));
}

void MainWindow::ListSelect(int id, int index) {
  auto* c = wxDynamicCast(Control(id), wxChoice);
  if (!c) return;
  c->SetSelection(index >= 0 && index < static_cast<int>(c->GetCount()) ? index : wxNOT_FOUND);
}

int MainWindow::ListSelected(int id) {
  auto* c = wxDynamicCast(Control(id), wxChoice);
  return c ? c->GetSelection() : -1;
}

std::string MainWindow::ListText(int id, int index) {
  auto* c = wxDynamicCast(Control(id), wxChoice);
  if (!c || index < 0 || index >= static_cast<int>(c->GetCount())) return "";
  return c->GetString(index).utf8_string();
}

void MainWindow::Enable(int id, bool enable) {
  if (wxWindow* w = Control(id)) w->Enable(enable);
}

void MainWindow::SetText(int id, const std::string& text) {
  wxWindow* w = Control(id);
  if (auto* t = wxDynamicCast(w, wxTextCtrl)) {
    t->ChangeValue(wxString::FromUTF8(text));
  } else if (auto* s = wxDynamicCast(w, wxStaticText)) {
    s->SetLabelText(wxString::FromUTF8(text));
  }
}

std::string MainWindow::GetText(int id) {
  wxWindow* w = Control(id);
  if (auto* t = wxDynamicCast(w, wxTextCtrl)) return t->GetValue().utf8_string();
  if (auto* s = wxDynamicCast(w, wxStaticText)) return s->GetLabelText().utf8_string();
  return "";
}

void MainWindow::SetReadOnly(int id, bool readOnly) {
  if (auto* t = wxDynamicCast(Control(id), wxTextCtrl)) t->SetEditable(!readOnly);
}

void MainWindow::Check(int id) {
  if (auto* r = wxDynamicCast(Control(id), wxRadioButton)) r->SetValue(true);
}

void MainWindow::ViewSetFullRowSelect() {
  // A report-mode wxListCtrl always selects whole rows.
}

void MainWindow::ViewInsertColumn(int column, const std::string& heading, int widthPixels) {
  ListView()->InsertColumn(column, wxString::FromUTF8(heading), wxLIST_FORMAT_LEFT, widthPixels);
}

void MainWindow::ViewInsertRow(int row, const std::string& column0) {
  ListView()->InsertItem(row, wxString::FromUTF8(column0));
}

void MainWindow::ViewSetCell(int row, int column, const std::string& text) {
  ListView()->SetItem(row, column, wxString::FromUTF8(text));
}

void MainWindow::ViewDeleteAll() {
  ListView()->DeleteAllItems();
  selectionMark_ = -1;
}

int MainWindow::ViewSelectionMark() { return selectionMark_; }

void MainWindow::SliderSetRange(int minimum, int maximum) { Slider()->SetRange(minimum, maximum); }
void MainWindow::SliderSetPos(int position) { Slider()->SetValue(position); }
int MainWindow::SliderPos() { return Slider()->GetValue(); }
int MainWindow::SliderMax() { return Slider()->GetMax(); }

void MainWindow::SetIcons() { wxDialog::SetIcons(AppIconBundle()); }

void MainWindow::RequestClose() { Close(); }

void MainWindow::EndDialog(int result) {
  const int code = result == kDialogOk ? wxID_OK : wxID_CANCEL;
  if (IsModal()) {
    EndModal(code);
  } else {
    Hide();
  }
}

void MainWindow::ProgressOpen(const std::string& caption) {
  progress_ = new CProgressDlg(this);
  progress_->SetTitle(wxString::FromUTF8(caption));
  progress_->Show();
  progress_->Update();
}

void MainWindow::ProgressSetRange(int minimum, int maximum) {
  if (progress_) progress_->SetRange(minimum, maximum);
}

void MainWindow::ProgressSetPos(int position) {
  if (!progress_) return;
  progress_->SetPosition(position);
  // Paint the step; user input stays queued until the operation has ended.
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}

void MainWindow::ProgressClose() {
  if (!progress_) return;
  progress_->Destroy();  // released once its window is gone
  progress_ = nullptr;
}

void MainWindow::ShowSplash() {
  splash_ = new CSplashScreenEx();
  splash_->CreateSplashWindow(this, "", 0,
                              SplashFadeIn | SplashFadeOut | SplashShadow | SplashCenterScreen);
  splash_->LoadSplashBitmap(id::kSplashBitmap, 255, 0, 255);
  splash_->ShowSplash();
}

void MainWindow::HideSplash() {
  // The splash deletes itself once its window is gone.
  if (splash_) splash_->HideSplash();
  splash_ = nullptr;
}

void MainWindow::Wait(int ms) { wxMilliSleep(ms); }

MsgAnswer MainWindow::Show(const std::string& text, const std::string& caption,
                           MsgButtons buttons, MsgIcon icon) {
  long style = buttons == MsgButtons::YesNo ? wxYES_NO : wxOK;
  switch (icon) {
    case MsgIcon::Question: style |= wxICON_QUESTION; break;
    case MsgIcon::Stop: style |= wxICON_ERROR; break;
    case MsgIcon::Exclamation: style |= wxICON_EXCLAMATION; break;
    case MsgIcon::Information: style |= wxICON_INFORMATION; break;
    case MsgIcon::None: break;
  }
  wxMessageDialog box(this, wxString::FromUTF8(text), wxString::FromUTF8(caption), style);
  switch (box.ShowModal()) {
    case wxID_YES: return MsgAnswer::Yes;
    case wxID_NO: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
  }
}

}  // namespace brindle
