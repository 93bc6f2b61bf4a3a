#include "image/FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
  out.clear();
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return false;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
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
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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
  if (!fd.ok()) return false;
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd.get(), data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return fd.Close();
}

}  // namespace brindle
