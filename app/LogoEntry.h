#pragma once
// One logo of the list and the text that hands the whole list to a job.
#include <string>
#include <vector>

namespace brindle {

struct LogoEntry {
  std::string name;  // file name with extension, no directory
  int size = 0;      // bytes of device image data
  std::string path;  // full path of the bitmap file
  int colourDepth = 0;
  int height = 0;
  int width = 0;
};

// Every path followed by "|", the last one too; empty for no logos.
std::string MakeLogoPathList(const std::vector<LogoEntry>& logos);

}  // namespace brindle
