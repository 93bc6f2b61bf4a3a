#pragma once
// Plain byte reads of whole files and file prefixes, with RAII descriptors.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

// Reads the whole file into `out`. Fails (false, `out` empty) when the file
// cannot be opened or read, is not a regular file, or exceeds `maxBytes`.
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// Reads up to `count` bytes from the start of the file into `out` (resized to
// the bytes actually read). False when the file cannot be opened.
bool ReadFilePrefix(const std::string& path, std::size_t count, std::vector<std::uint8_t>& out);

// Creates (or truncates) the file and writes all `size` bytes. False when it
// cannot be created or any write falls short.
bool WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace brindle
