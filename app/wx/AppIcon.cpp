#include "app/wx/AppIcon.h"

#include <wx/image.h>
#include <wx/mstream.h>

extern const unsigned char brindle_icon_png[];
extern const unsigned long brindle_icon_png_size;

namespace brindle {

wxIconBundle AppIconBundle() {
  wxMemoryInputStream in(brindle_icon_png, brindle_icon_png_size);
  wxImage image(in, wxBITMAP_TYPE_PNG);
  wxIconBundle bundle;
  if (!image.IsOk()) return bundle;
  // A large icon for the task switcher and a small one for the caption.
  for (int size : {64, 32, 16}) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image.Scale(size, size, wxIMAGE_QUALITY_HIGH)));
    bundle.AddIcon(icon);
  }
  return bundle;
}

}  // namespace brindle
