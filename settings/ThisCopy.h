#pragma once
// Which kind of copy this program is. Only the programs' main files include
// this: the installed copies are compiled with BRINDLE_INSTALLED_COPY
// defined (cmake/InstalledCopy.cmake), the build folder's without it.
#include "settings/Places.h"

namespace brindle {
namespace {
#ifdef BRINDLE_INSTALLED_COPY
constexpr CopyKind kThisCopy = CopyKind::Installed;
#else
constexpr CopyKind kThisCopy = CopyKind::BuildFolder;
#endif
}  // namespace
}  // namespace brindle
