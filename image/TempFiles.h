#pragma once
// Where the temporary monochrome files go, and their paths.
#include <string>

namespace brindle {

inline constexpr const char* kPreviewFileName = "/Temp.bmp";
inline constexpr const char* kAdjustedFileName = "/TempTe.bmp";

// The process's current directory, of any length; empty when it cannot be
// determined (for example when it was removed).
std::string CurrentDirectory();

// The folder the temporary files are written into from now on; empty (as
// at start) means the current directory at the time of each write. The
// programs set it from settings/Places.h (brindle-cli to a private folder).
void SetTempPictureDir(const std::string& dir);

// That folder followed by `name` ("/Temp.bmp" or "/TempTe.bmp"); empty when
// the current directory is the folder and cannot be determined.
std::string TempFilePath(const char* name);

}  // namespace brindle
