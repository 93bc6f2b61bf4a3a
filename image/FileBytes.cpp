#include "image/FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <utility>

namespace brindle {
namespace {

// Owns one file descriptor for the length of a call.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now and reports whether the close succeeded (a failed close can
  // mean the written data did not reach the file).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads until `count` bytes arrived or end of file; returns the bytes read,
// or -1 on a read error.
long ReadFully(int fd, std::uint8_t* buf, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd, buf + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long>(done);
}

// Opens a regular file for reading; -1 (errno set) for anything else.
// O_NONBLOCK keeps the open itself from waiting for a FIFO's writer; it
// changes nothing for the reads of a regular file.
int OpenRegular(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  return fd.Release();
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
  out.clear();
  Fd fd(OpenRegular(path));
  struct stat st {};
  if (!fd.ok() || ::fstat(fd.get(), &st) != 0) return false;
  if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes) return false;
  // The file may change size under us; read at most one byte more than the
  // cap allows so that growth past the cap is noticed.
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(st.st_size) + 1);
  long n = ReadFully(fd.get(), buf.data(), buf.size());
  if (n < 0 || static_cast<std::size_t>(n) > maxBytes) return false;
  buf.resize(static_cast<std::size_t>(n));
  out = std::move(buf);
  return true;
}

bool ReadFilePrefix(const std::string& path, std::size_t count, std::vector<std::uint8_t>& out) {
  out.clear();
  Fd fd(OpenRegular(path));
  if (!fd.ok()) return false;
  std::vector<std::uint8_t> buf(count);
  long n = ReadFully(fd.get(), buf.data(), count);
  if (n < 0) n = 0;  // a read error counts as an empty file
  buf.resize(static_cast<std::size_t>(n));
  out = std::move(buf);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return fd.ok() && WriteAll(fd.get(), data, size) && fd.Close();
}

bool ReplaceWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  // The new file's name is this call's own (process and sequence number),
  // so programs or threads writing the same name at once never share a
  // half-written file.
  static std::atomic<unsigned> writes{0};
  const std::string temp =
      path + "." + std::to_string(::getpid()) + "-" + std::to_string(writes++) + ".new";
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  Fd fd(::open(temp.c_str(), flags, 0666));
  if (!fd.ok() && errno == EEXIST && ::unlink(temp.c_str()) == 0) {
    fd.Reset(::open(temp.c_str(), flags, 0666));  // left by an earlier process of this number
  }
  if (!fd.ok()) return false;
  if (WriteAll(fd.get(), data, size) && fd.Close() &&
      std::rename(temp.c_str(), path.c_str()) == 0) {
    return true;
  }
  const int error = errno;
  ::unlink(temp.c_str());
  errno = error;
  return false;
}

}  // namespace brindle
