#include "app/LogoEntry.h"

#include "device/LogoPathList.h"

namespace brindle {

std::string MakeLogoPathList(const std::vector<LogoEntry>& logos) {
  std::vector<std::string> paths;
  for (const LogoEntry& logo : logos) paths.push_back(logo.path);
  return JoinLogoPaths(paths);
}

}  // namespace brindle
