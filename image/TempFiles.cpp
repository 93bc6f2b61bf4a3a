#include "image/TempFiles.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

#include "image/FileBytes.h"
#include "image/LogoBitmap.h"

namespace brindle {
namespace {

std::string& PictureDir() {
  static std::string dir;
  return dir;
}

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  PutLe16(out, at, v & 0xFFFF);
  PutLe16(out, at + 2, v >> 16);
}

}  // namespace

std::string CurrentDirectory() {
  std::vector<char> buf(256);
  while (buf.size() <= (1u << 20)) {
    if (::getcwd(buf.data(), buf.size()) != nullptr) return std::string(buf.data());
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  return {};
}

void SetTempPictureDir(const std::string& dir) { PictureDir() = dir; }

std::string TempFilePath(const char* name) {
  const std::string dir = PictureDir().empty() ? CurrentDirectory() : PictureDir();
  return dir.empty() ? std::string() : dir + name;
}

int LogoBitmap::WritePreviewFile() { return WriteMonoFile(kPreviewFileName, false); }

int LogoBitmap::WriteAdjustedFile() { return WriteMonoFile(kAdjustedFileName, true); }

// A 1-bit BMP of the picture's width and height: 14-byte file header,
// 40-byte information header, colour table white then black, rows in the
// stored order. A set bit (black) is a monoImage value of 0, or a grayImage
// value below 128. Resolutions and important colours are 0. The file is
// replaced as a whole, so a symbolic link of that name is replaced rather
// than followed and nobody reads a half-written picture.
int LogoBitmap::WriteMonoFile(const char* name, bool fromGray) {
  if (!HasPicture()) return 255;
  if (!FitsWorkImages()) return 0;
  const std::string path = TempFilePath(name);
  if (path.empty()) return 0;

  const std::uint32_t width = static_cast<std::uint32_t>(description.width);
  const std::uint32_t height = static_cast<std::uint32_t>(description.height);
  const std::uint32_t rowLength = ((width + 31) / 32) * 4;
  const std::uint32_t imageSize = rowLength * height;
  std::vector<std::uint8_t> file(62 + static_cast<std::size_t>(imageSize), 0);
  file[0] = 'B';
  file[1] = 'M';
  PutLe32(file, 2, imageSize + 62);
  PutLe32(file, 10, 62);
  PutLe32(file, 14, 40);
  PutLe32(file, 18, width);
  PutLe32(file, 22, height);
  PutLe16(file, 26, 1);
  PutLe16(file, 28, 1);
  PutLe32(file, 34, imageSize);
  PutLe32(file, 46, 2);
  PutLe32(file, 54, 0xFFFFFFFF);

  for (std::uint32_t r = 0; r < height; ++r) {
    std::uint8_t* row = file.data() + 62 + static_cast<std::size_t>(r) * rowLength;
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool black = fromGray ? grayImage[r][x] < 128 : monoImage[r][x] == 0;
      if (black) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return ReplaceWholeFile(path, file.data(), file.size()) ? 1 : 0;
}

}  // namespace brindle
