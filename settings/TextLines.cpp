#include "settings/TextLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace brindle {

TextLineReader::TextLineReader(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSettingsFileBytes ||
      (file_ = ::fdopen(fd, "rb")) == nullptr) {
    ::close(fd);
    return;
  }
  left_ = kMaxSettingsFileBytes;
}

TextLineReader::~TextLineReader() {
  if (file_) std::fclose(file_);
}

bool TextLineReader::Next(std::string& line) {
  line.clear();
  if (!file_) return false;
  bool any = false;
  for (;;) {
    int c = left_-- > 0 ? std::getc(file_) : EOF;
    if (c == EOF) return any;
    any = true;
    if (c == '\r') {
      const int next = left_ > 0 ? std::getc(file_) : EOF;
      if (next == '\n') {
        --left_;
        return true;  // CR LF: end of line, both dropped
      }
      if (next != EOF) std::ungetc(next, file_);
      line.push_back('\r');
      continue;
    }
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
}

bool ReplaceFile(const std::string& path, const std::string& bytes, int* error) {
  const std::string temp = path + ".new";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int failure = fd < 0 ? errno : 0;
  std::size_t done = 0;
  while (failure == 0 && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (n == 0) failure = EIO;
    else if (errno != EINTR) failure = errno;
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (fd >= 0 && ::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && std::rename(temp.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0 && fd >= 0) ::unlink(temp.c_str());
  if (error) *error = failure;
  return failure == 0;
}

}  // namespace brindle
