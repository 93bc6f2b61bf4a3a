#pragma once
// The progress window (template 133): a modeless window owned by the main
// window, placed over it, with one progress bar.
#include <wx/dialog.h>

class wxGauge;

namespace brindle {

class CProgressDlg final : public wxDialog {
 public:
  // Creates the hidden window and places it over `owner`.
  explicit CProgressDlg(wxWindow* owner);

  void SetRange(int minimum, int maximum);
  void SetPosition(int position);

 private:
  void PlaceOverOwner();
  wxGauge* bar_ = nullptr;
};

}  // namespace brindle
