#pragma once
// The window icon (icon 128), compiled into the executable.
#include <wx/iconbndl.h>

namespace brindle {

wxIconBundle AppIconBundle();

}  // namespace brindle
