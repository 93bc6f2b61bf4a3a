#pragma once
// The current directory and the paths of the temporary monochrome files.
#include <string>

namespace brindle {

inline constexpr const char* kPreviewFileName = "/Temp.bmp";
inline constexpr const char* kAdjustedFileName = "/TempTe.bmp";

// The process's current directory, of any length; empty when it cannot be
// determined (for example when it was removed).
std::string CurrentDirectory();

// CurrentDirectory() followed by `name` ("/Temp.bmp" or "/TempTe.bmp");
// empty when the directory cannot be determined.
std::string TempFilePath(const char* name);

}  // namespace brindle
