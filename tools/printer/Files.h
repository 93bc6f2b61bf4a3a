#pragma once
// Small file helpers for the printer's input, output and NV store.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/printer/Fd.h"

namespace brindle::printer {

// Opens a regular file for reading. It is opened without blocking and
// checked before anything is read, so that a FIFO or a device is refused
// at once instead of hanging the reader. An invalid Fd when the file is
// missing (`missing` set), unreadable or not a regular file.
Fd OpenRegularFile(const std::string& path, bool& missing);
// Reads a whole regular file of at most `maxBytes`; false when it cannot
// be opened or read, is not a regular file or is larger.
bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes,
              std::uint64_t maxBytes = 64u << 20);
// Replaces `path` with `bytes` through a temporary file and a rename, so a
// reader never sees a half-written file. False on any failure.
bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Creates `path` and any missing parents; true when it is a directory.
bool MakeDirectories(const std::string& path);

}  // namespace brindle::printer
