#include "app/LogoEntry.h"

#include <cstdint>

namespace brindle {
namespace {

// Sizes of the image object's buffers.
constexpr std::int64_t kMaxConvertedWidth = 512;
constexpr std::int64_t kMaxConvertedHeight = 648;
constexpr std::int64_t kRasterBytes = 196608;

std::int64_t Padded(std::int64_t v) { return (v + 7) / 8 * 8; }

}  // namespace

int LogoDeviceSize(int width, int height) {
  return static_cast<int>(Padded(width) * ((static_cast<std::int64_t>(height) + 7) / 8));
}

bool LogoFitsDevice(int bitsPerPixel, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (bitsPerPixel == 1) return Padded(width) * Padded(height) / 8 <= kRasterBytes;
  return Padded(width) <= kMaxConvertedWidth && Padded(height) <= kMaxConvertedHeight;
}

std::string MakeLogoPathList(const std::vector<LogoEntry>& logos) {
  std::string list;
  for (const LogoEntry& logo : logos) list += logo.path + "|";
  return list;
}

}  // namespace brindle
