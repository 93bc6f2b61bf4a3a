// libFuzzer target over the virtual printer's readers: the decoder fed in
// pieces, the printer model, the NV store readers and the PNG reader.
// The first input byte sets the piece size; corpus/ holds seeds. Build and
// run from the repository root:
//   P=tools/printer; clang++ -std=c++20 -O1 -g -I. -I/usr/include/libpng16 \
//     -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
//     $P/fuzz/printer_fuzz.cpp $P/Command.cpp $P/Decoder.cpp $P/Files.cpp \
//     $P/NvStore.cpp $P/Png.cpp $P/Printer.cpp $P/Paper.cpp $P/Raster.cpp \
//     -lpng -o printer_fuzz
//   ./printer_fuzz -max_total_time=180 -max_len=4096 $P/fuzz/corpus
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
