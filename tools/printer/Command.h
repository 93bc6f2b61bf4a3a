#pragma once
// One decoded printer command, as the decoder hands it to the printer and
// the log. Offsets count bytes from the start of the connection.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

enum class Op {
  Initialize,      // ESC @
  DefineNv,        // FS q n, then n image blocks
  PrintNv,         // FS p n m
  EraseNv,         // FS e
  Cut,             // GS V m, GS V m n, ESC m
  RequestId,       // GS I n
  RealTimeStatus,  // DLE EOT n (n = 1 to 4), answered as it arrives
  DotMode,         // ESC o n (0 starts the Dot logo, 1 prints it)
  DotBand,         // ESC X * j followed by ESC * m nL nH and its columns
  BandPrefix,      // ESC X * j not followed by an ESC * bit image
  BitImage,        // ESC * m nL nH and its columns outside a Dot band
  CarriageReturn,  // CR
  LineFeed,        // LF
  Unknown,         // bytes that start no known command
};

struct Command {
  Op op = Op::Unknown;
  std::uint64_t offset = 0;  // of the command's first byte
  std::uint64_t length = 0;  // bytes consumed, data included
  bool complete = true;      // false: the connection ended inside it
  std::string mnemonic;      // "FS q", "GS V", ...
  std::vector<int> params;   // the parameter bytes, decoded (n, m, j ...)

  // DefineNv: the images in the order sent (only those received in full).
  std::vector<NvImage> images;
  // DefineNv: set when the set cannot be stored (an empty image, or more
  // data than the printer's memory holds); the bytes were still consumed.
  std::string rejected;
  // DotBand and BitImage: the column bytes. Unknown: up to
  // kUnknownShown of the skipped bytes.
  std::vector<std::uint8_t> data;
  // Incomplete commands: what was missing when the connection ended.
  std::string missing;
};

inline constexpr std::size_t kUnknownShown = 16;

// "ESC @", "FS q 2: 200x104, 16x8", "unknown 3 bytes: 00 FF 41" ...;
// the offset is not part of it.
std::string Describe(const Command& command);

// Bytes as upper-case hex pairs separated by spaces ("1D 49 01").
std::string HexBytes(const std::vector<std::uint8_t>& bytes);

// One log line: the offset (decimal, padded to 8), two spaces, Describe,
// and ": " + outcome when the printer reported one.
std::string LogLine(const Command& command, const std::string& outcome);

}  // namespace brindle::printer
