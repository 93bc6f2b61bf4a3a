#pragma once
// The logo list as the upload streams receive it: every path followed by
// one "|" (path1|path2|...|pathN|). Text after the last "|" is not a path.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// The number of "|" in the text: the number of logos it names.
std::size_t CountLogoPaths(std::string_view logoPathList);

// Every path followed by "|", the last one too; empty for no paths.
std::string JoinLogoPaths(const std::vector<std::string>& paths);

// The paths in list order: the text between the start or one "|" and the
// next "|". Empty paths stay in the list (they fail to load later).
std::vector<std::string> SplitLogoPathList(std::string_view logoPathList);

}  // namespace brindle
