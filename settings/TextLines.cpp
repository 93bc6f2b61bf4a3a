#include "settings/TextLines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace brindle {

TextLineReader::TextLineReader(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

TextLineReader::~TextLineReader() {
  if (file_) std::fclose(file_);
}

bool TextLineReader::Next(std::string& line) {
  line.clear();
  if (!file_) return false;
  bool any = false;
  for (;;) {
    int c = std::getc(file_);
    if (c == EOF) return any;
    any = true;
    if (c == '\r') {
      const int next = std::getc(file_);
      if (next == '\n') return true;  // CR LF: end of line, both dropped
      if (next != EOF) std::ungetc(next, file_);
      line.push_back('\r');
      continue;
    }
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
}

bool ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".new";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace brindle
