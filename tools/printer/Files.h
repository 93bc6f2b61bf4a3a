#pragma once
// Small file helpers for the printer's output and NV store.
#include <cstdint>
#include <string>
#include <vector>

namespace brindle::printer {

// Reads a whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes);
// Replaces `path` with `bytes` through a temporary file and a rename, so a
// reader never sees a half-written file. False on any failure.
bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Creates `path` and any missing parents; true when it is a directory.
bool MakeDirectories(const std::string& path);

}  // namespace brindle::printer
