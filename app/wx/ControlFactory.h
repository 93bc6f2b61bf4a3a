#pragma once
// Creates the controls of a dialog template on a window, at 2 pixels per
// dialog unit.
#include <wx/window.h>

#include "res/DialogTemplate.h"

namespace brindle {

// Group frames are created first and every other control after them, as
// siblings in template order, so that the frames stay behind the controls
// and the tab order follows the template.
void CreateControls(wxWindow* parent, const DialogTemplate& dialog);

// Dialog units to pixels.
inline int Px(int dialogUnits) { return dialogUnits * kPixelsPerDialogUnit; }

}  // namespace brindle
