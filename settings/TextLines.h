#pragma once
// Line ends of the settings files. Every line on disk ends with the bytes
// 0D 0D 0A: the files were always written through a text stream that turns
// the LF of an in-memory CR LF into CR LF. Reading undoes one level, so a
// line arrives with one trailing CR.
#include <cstdio>
#include <string>

namespace brindle {

inline constexpr char kLineEnd[] = "\r\r\n";

// Settings files larger than this are treated as damaged and not read.
inline constexpr long kMaxSettingsFileBytes = 16L << 20;

// Reads a file line by line as such a text stream does: CR LF becomes LF
// and the LF ends the line (and is dropped). Only a regular file of at most
// kMaxSettingsFileBytes is opened, without blocking on the way (a FIFO or a
// device is refused at once), so memory and time stay bounded whatever the
// path names.
class TextLineReader {
 public:
  explicit TextLineReader(const std::string& path);
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // The next line; false at the end of the file.
  bool Next(std::string& line);

 private:
  std::FILE* file_ = nullptr;
  long left_ = 0;  // bytes still to be read, so a growing file stays bounded
};

// Writes `bytes` to `path` through a new file beside it that is renamed
// over the old one, so that a crash or a full disk never leaves a truncated
// file. Returns false (and leaves the old file) when anything fails, with
// the errno of the failed step in *error when given.
bool ReplaceFile(const std::string& path, const std::string& bytes, int* error = nullptr);

}  // namespace brindle
