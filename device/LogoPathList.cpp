#include "device/LogoPathList.h"

#include <algorithm>

namespace brindle {

std::size_t CountLogoPaths(std::string_view logoPathList) {
  return static_cast<std::size_t>(std::count(logoPathList.begin(), logoPathList.end(), '|'));
}

std::string JoinLogoPaths(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list += path + "|";
  return list;
}

std::vector<std::string> SplitLogoPathList(std::string_view logoPathList) {
  std::vector<std::string> paths;
  std::size_t from = 0;
  for (std::size_t bar = logoPathList.find('|'); bar != std::string_view::npos;
       bar = logoPathList.find('|', from)) {
    paths.emplace_back(logoPathList.substr(from, bar - from));
    from = bar + 1;
  }
  return paths;
}

}  // namespace brindle
