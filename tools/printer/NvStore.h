#pragma once
// Keeps the printer's NV memory across runs, like a real printer's flash.
// Each part is stored as the command bytes that would define it, so the
// files are read back through the same decoder as a connection (and can be
// fed to --replay): "nv-images.bin" holds FS q n and its image blocks,
// "dot-logo.bin" holds ESC o 0 and one ESC X * / ESC * 1 band per row of 8.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/printer/Decoder.h"
#include "tools/printer/Raster.h"

namespace brindle::printer {

std::vector<std::uint8_t> NvSetCommand(const std::vector<NvImage>& images);
std::vector<std::uint8_t> DotLogoCommand(const DotLogo& logo);
// Accept only bytes that are exactly one complete command of the kind
// written above, holding at most `maxBytes` of picture (the NV memory);
// anything else (a damaged file) is refused.
bool ParseNvSet(const std::vector<std::uint8_t>& bytes, std::vector<NvImage>& images,
                std::uint64_t maxBytes = kDefaultNvBytes);
bool ParseDotLogo(const std::vector<std::uint8_t>& bytes, DotLogo& logo,
                  std::uint64_t maxBytes = kDefaultNvBytes);

class NvStore {
 public:
  explicit NvStore(std::string dir, std::uint64_t nvBytes = kDefaultNvBytes)
      : dir_(std::move(dir)), nvBytes_(nvBytes) {}
  // Reads what is stored; a missing file is an empty part. Returns false
  // with `error` set when the directory is unusable or a file is damaged:
  // not a regular file, unreadable, or not what the printer would store.
  bool Load(std::vector<NvImage>& images, DotLogo& logo, std::string& error) const;
  bool SaveNv(const std::vector<NvImage>& images) const;
  bool SaveLogo(const DotLogo& logo) const;

 private:
  std::string NvPath() const { return dir_ + "/nv-images.bin"; }
  std::string LogoPath() const { return dir_ + "/dot-logo.bin"; }
  std::string dir_;
  std::uint64_t nvBytes_;
};

}  // namespace brindle::printer
