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

// Bytes of device image data: the width rounded up to a multiple of 8 times
// the height in 8-dot rows, rounded up.
int LogoDeviceSize(int width, int height);

// Whether a "Thermal" upload can convert and pack a picture of this depth
// and size: 1-bit pictures are packed directly into the raster buffer, all
// others go through the 512 x 648 working images first.
bool LogoFitsDevice(int bitsPerPixel, int width, int height);

// Every path followed by "|", the last one too; empty for no logos.
std::string MakeLogoPathList(const std::vector<LogoEntry>& logos);

}  // namespace brindle
