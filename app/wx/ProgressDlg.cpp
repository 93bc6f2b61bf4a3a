#include "app/wx/ProgressDlg.h"

#include <wx/gauge.h>

#include "app/ProgressPlacement.h"
#include "app/wx/ControlFactory.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace brindle {

CProgressDlg::CProgressDlg(wxWindow* owner) {
  const DialogTemplate& t = ProgressDialogTemplate();
  Create(owner, wxID_ANY, wxString::FromUTF8(t.caption.data(), t.caption.size()),
         wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU);
  CreateControls(this, t);
  SetClientSize(Px(t.width), Px(t.height));
  bar_ = static_cast<wxGauge*>(FindWindow(id::kProgressBar));
  PlaceOverOwner();
}

void CProgressDlg::PlaceOverOwner() {
  wxWindow* owner = GetParent();
  if (!owner) return;
  const wxRect o = owner->GetScreenRect();
  const wxRect s = GetScreenRect();
  const wxPoint origin = owner->ClientToScreen(wxPoint(0, 0));
  const Point p = ProgressWindowPosition({o.x, o.y, o.GetRight() + 1, o.GetBottom() + 1},
                                         {s.x, s.y, s.GetRight() + 1, s.GetBottom() + 1},
                                         {origin.x, origin.y});
  Move(p.x, p.y);
}

void CProgressDlg::SetRange(int minimum, int maximum) {
  // wxGauge counts from 0; the window only ever uses 0..100.
  bar_->SetRange(maximum - minimum);
}

void CProgressDlg::SetPosition(int position) {
  bar_->SetValue(position);
  bar_->Update();
}

}  // namespace brindle
