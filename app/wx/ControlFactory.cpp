#include "app/wx/ControlFactory.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace brindle {
namespace {

// wx reads "&" in a caption as a mnemonic marker; the captions are plain text.
wxString Caption(std::string_view text) {
  wxString s = wxString::FromUTF8(text.data(), text.size());
  s.Replace("&", "&&");
  return s;
}

void CreateOne(wxWindow* parent, const ControlTemplate& c) {
  const wxPoint pos(Px(c.x), Px(c.y));
  const wxSize size(Px(c.width), Px(c.height));
  const int id = c.id > 0 ? c.id : wxID_ANY;
  switch (c.kind) {
    case ControlKind::Group:
    case ControlKind::PictureFrame: {
      auto* box = new wxStaticBox(parent, id, Caption(c.caption), pos, size);
      // A frame without a caption draws its border at the top of its
      // rectangle, not below an empty label: its label is kept hidden.
      GtkWidget* label = gtk_frame_get_label_widget(GTK_FRAME(box->GetHandle()));
      if (c.caption.empty() && label) {
        gtk_widget_set_no_show_all(label, TRUE);
        gtk_widget_hide(label);
      }
      break;
    }
    case ControlKind::Label:
    case ControlKind::Text:
      new wxStaticText(parent, id, Caption(c.caption), pos, size, wxST_NO_AUTORESIZE);
      break;
    case ControlKind::Button:
      new wxButton(parent, id, Caption(c.caption), pos, size);
      break;
    case ControlKind::Radio:
      new wxRadioButton(parent, id, Caption(c.caption), pos, wxSize(size.x, -1),
                        c.groupStart ? wxRB_GROUP : 0);
      break;
    case ControlKind::DropDown:
      // The template height is that of the opened list; the closed control
      // takes its natural height.
      new wxChoice(parent, id, pos, wxSize(size.x, -1));
      break;
    case ControlKind::Edit:
      new wxTextCtrl(parent, id, "", pos, size);
      break;
    case ControlKind::ListView:
      new wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
      break;
    case ControlKind::Slider:
      new wxSlider(parent, id, 0, 0, 10, pos, size,
                   wxSL_HORIZONTAL | wxSL_AUTOTICKS | wxSL_BOTH);
      break;
    case ControlKind::Progress:
      new wxGauge(parent, id, 100, pos, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
      break;
  }
}

}  // namespace

void CreateControls(wxWindow* parent, const DialogTemplate& dialog) {
  for (const ControlTemplate& c : dialog.controls) {
    if (c.kind == ControlKind::Group) CreateOne(parent, c);
  }
  for (const ControlTemplate& c : dialog.controls) {
    if (c.kind != ControlKind::Group) CreateOne(parent, c);
  }
}

}  // namespace brindle
