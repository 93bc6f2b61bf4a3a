#pragma once
// Plain byte reads of whole files and file prefixes, and whole-file writes,
// with RAII descriptors. Reads take regular files only: every path is
// opened without blocking and checked before anything is read, so a FIFO
// or a device is refused at once instead of hanging the program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

// Reads the whole file into `out`. Fails (false, `out` empty) when the file
// cannot be opened or read, is not a regular file, or exceeds `maxBytes`.
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// Reads up to `count` bytes from the start of the file into `out` (resized to
// the bytes actually read). False when the file cannot be opened or is not
// a regular file.
bool ReadFilePrefix(const std::string& path, std::size_t count, std::vector<std::uint8_t>& out);

// Creates (or truncates) the file and writes all `size` bytes. False when it
// cannot be created or any write falls short.
bool WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

// Writes all `size` bytes to a new file beside `path` and renames it over
// `path`. Whatever `path` was (a file, a symbolic link) is replaced as a
// whole: a link's target is never written, and a reader sees the old bytes
// or the new ones, never a part. False, with errno set and nothing left
// behind, when any step fails.
bool ReplaceWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace brindle
