// libFuzzer target over the virtual printer's readers: the decoder fed in
// pieces, the printer model, the NV store readers and the PNG reader.
// The first input byte sets the piece size; corpus/printer/ holds seeds.
// scripts/fuzz.sh printer 600 builds and runs it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/printer/Decoder.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Png.h"
#include "tools/printer/Printer.h"

using namespace brindle::printer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the size of the pieces the stream arrives in.
  const std::size_t piece = 1 + data[0] % 17;
  const std::uint8_t* stream = data + 1;
  const std::size_t length = size - 1;

  Decoder decoder;
  Printer printer;
  std::vector<Command> commands;
  for (std::size_t at = 0; at < length; at += piece) {
    decoder.Feed(stream + at, length - at < piece ? length - at : piece, commands);
  }
  decoder.Finish(commands);
  std::uint64_t covered = 0;
  for (const Command& c : commands) {
    covered += c.length;
    printer.Apply(c);
    (void)LogLine(c, "");
  }
  if (covered != length) std::abort();  // every byte is accounted for once

  const std::vector<std::uint8_t> bytes(stream, stream + length);
  std::vector<NvImage> images;
  DotLogo logo;
  if (ParseNvSet(bytes, images) && NvSetCommand(images) != bytes) std::abort();
  if (ParseDotLogo(bytes, logo)) (void)logo.ToRaster();
  (void)DecodePng(bytes);
  return 0;
}
