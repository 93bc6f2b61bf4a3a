#pragma once

namespace brindle {

// Sets the dialog font and trims GTK's paddings so that controls laid out
// at 2 pixels per dialog unit fit their rectangles. Call once, before any
// window exists.
void InstallCompactTheme();

}  // namespace brindle
