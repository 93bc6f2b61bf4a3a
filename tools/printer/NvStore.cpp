#include "tools/printer/NvStore.h"

#include <unistd.h>

#include <cerrno>

#include "tools/printer/Decoder.h"
#include "tools/printer/Files.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

std::vector<Command> DecodeAll(const std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
  Decoder decoder(maxBytes);
  std::vector<Command> commands;
  decoder.Feed(bytes.data(), bytes.size(), commands);
  decoder.Finish(commands);
  return commands;
}

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes, bool empty) {
  if (empty) return ::unlink(path.c_str()) == 0 || errno == ENOENT;
  return WriteFileAtomic(path, bytes);
}

// Reads one part's file: false when it is missing; `damaged` when it is
// there but cannot be read whole within `maxBytes`.
bool ReadPart(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
              bool& damaged) {
  bool missing = false;
  if (!OpenRegularFile(path, missing) && missing) return false;
  damaged = !ReadFile(path, bytes, maxBytes);
  return !damaged;
}

}  // namespace

std::vector<std::uint8_t> NvSetCommand(const std::vector<NvImage>& images) {
  std::vector<std::uint8_t> out{0x1C, 0x71, static_cast<std::uint8_t>(images.size())};
  for (const NvImage& image : images) {
    out.push_back(static_cast<std::uint8_t>(image.xUnits & 0xFF));
    out.push_back(static_cast<std::uint8_t>(image.xUnits >> 8));
    out.push_back(static_cast<std::uint8_t>(image.yUnits & 0xFF));
    out.push_back(static_cast<std::uint8_t>(image.yUnits >> 8));
    out.insert(out.end(), image.bytes.begin(), image.bytes.end());
  }
  return out;
}

std::vector<std::uint8_t> DotLogoCommand(const DotLogo& logo) {
  std::vector<std::uint8_t> out{0x1B, 0x6F, 0x00};
  for (std::size_t j = 0; j < logo.bands.size(); ++j) {
    const std::size_t n = logo.bands[j].size();
    const std::uint8_t header[] = {0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(j),
                                   0x1B, 0x2A, 0x01, static_cast<std::uint8_t>(n & 0xFF),
                                   static_cast<std::uint8_t>(n >> 8)};
    out.insert(out.end(), std::begin(header), std::end(header));
    out.insert(out.end(), logo.bands[j].begin(), logo.bands[j].end());
  }
  return out;
}

bool ParseNvSet(const std::vector<std::uint8_t>& bytes, std::vector<NvImage>& images,
                std::uint64_t maxBytes) {
  const std::vector<Command> commands = DecodeAll(bytes, maxBytes);
  if (commands.size() != 1) return false;
  const Command& c = commands[0];
  if (c.op != Op::DefineNv || !c.complete || !c.rejected.empty() || c.images.empty()) return false;
  images = c.images;
  return true;
}

bool ParseDotLogo(const std::vector<std::uint8_t>& bytes, DotLogo& logo, std::uint64_t maxBytes) {
  const std::vector<Command> commands = DecodeAll(bytes, maxBytes);
  if (commands.empty() || commands.size() > 257) return false;
  PrinterSetup setup;
  setup.nvBytes = maxBytes;
  Printer printer(setup);
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const Command& c = commands[i];
    if (!c.complete) return false;
    const bool expected = i == 0 ? c.op == Op::DotMode && c.params[0] == 0
                                 : c.op == Op::DotBand && c.params[1] == 1;
    if (!expected) return false;
    // A band is refused when the logo would outgrow the NV memory.
    if (!printer.Apply(c).logoChanged && i > 0) return false;
  }
  logo = printer.Logo();
  return true;
}

bool NvStore::Load(std::vector<NvImage>& images, DotLogo& logo, std::string& error) const {
  if (!MakeDirectories(dir_)) {
    error = "cannot use NV store directory " + dir_;
    return false;
  }
  images.clear();
  logo = DotLogo{};
  // The largest files the memory's size allows: the commands' own bytes
  // (at most 255 image headers, 256 band headers) and the picture.
  const std::uint64_t nvFileMax = 3 + 255 * 4 + nvBytes_, logoFileMax = 3 + 256 * 9 + nvBytes_;
  std::vector<std::uint8_t> bytes;
  bool damaged = false;
  if ((ReadPart(NvPath(), nvFileMax, bytes, damaged) && !ParseNvSet(bytes, images, nvBytes_)) ||
      damaged) {
    error = NvPath() + " is damaged";
    return false;
  }
  if ((ReadPart(LogoPath(), logoFileMax, bytes, damaged) &&
       !ParseDotLogo(bytes, logo, nvBytes_)) ||
      damaged) {
    error = LogoPath() + " is damaged";
    return false;
  }
  return true;
}

bool NvStore::SaveNv(const std::vector<NvImage>& images) const {
  if (!MakeDirectories(dir_)) return false;
  return Save(NvPath(), NvSetCommand(images), images.empty());
}

bool NvStore::SaveLogo(const DotLogo& logo) const {
  if (!MakeDirectories(dir_)) return false;
  return Save(LogoPath(), DotLogoCommand(logo), logo.bands.empty());
}

}  // namespace brindle::printer
