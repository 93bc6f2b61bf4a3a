#pragma once
// Keeps the printer's NV memory across runs, like a real printer's flash.
// Each part is stored as the command bytes that would define it, so the
// files are read back through the same decoder as a connection (and can be
// fed to --replay): "nv-images.bin" holds FS q n and its image blocks,
// "dot-logo.bin" holds ESC o 0 and one ESC X * / ESC * 1 band per row of 8.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

std::vector<std::uint8_t> NvSetCommand(const std::vector<NvImage>& images);
std::vector<std::uint8_t> DotLogoCommand(const DotLogo& logo);
// Accept only bytes that are exactly one complete command of the kind
// written above; anything else (a damaged file) is refused.
bool ParseNvSet(const std::vector<std::uint8_t>& bytes, std::vector<NvImage>& images);
bool ParseDotLogo(const std::vector<std::uint8_t>& bytes, DotLogo& logo);

class NvStore {
 public:
  explicit NvStore(std::string dir) : dir_(std::move(dir)) {}
  // Reads what is stored; a missing file is an empty part. Returns false
  // with `error` set when the directory or a damaged file is unusable.
  bool Load(std::vector<NvImage>& images, DotLogo& logo, std::string& error) const;
  bool SaveNv(const std::vector<NvImage>& images) const;
  bool SaveLogo(const DotLogo& logo) const;

 private:
  std::string NvPath() const { return dir_ + "/nv-images.bin"; }
  std::string LogoPath() const { return dir_ + "/dot-logo.bin"; }
  std::string dir_;
};

}  // namespace brindle::printer
