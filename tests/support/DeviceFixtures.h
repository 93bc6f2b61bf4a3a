#pragma once
// Stand-in devices for transport tests: device directory entries, raw
// pseudo-terminals, a socket stack whose failure and send buffer are set.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "port/SocketStack.h"
#include "support/TempDir.h"

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

// Makes <dir>/<name> a link to `target`, or a FIFO when `target` is empty.
inline void MakeDevice(const TempDir& dir, const std::string& name,
                       const std::string& target = {}) {
  std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
  if (target.empty()) ::mkfifo(dir.File(name).c_str(), 0600);
  else std::filesystem::create_symlink(target, dir.File(name));
}

// Whatever is waiting on a non-blocking `fd`.
inline Bytes Drain(int fd) {
  Bytes out;
  std::uint8_t buf[65536];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) out.insert(out.end(), buf, buf + n);
  return out;
}

// The test holds the non-blocking controlling side.
class Pty {
 public:
  Pty() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    termios t{};
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slave_ = ::ptsname(master_);
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slave_; }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  Bytes Drain() const { return test::Drain(master_); }
  void Send(const Bytes& bytes) const { (void)!::write(master_, bytes.data(), bytes.size()); }

 private:
  int master_;
  std::string slave_;
};

class ScriptedStack final : public ISocketStack {
 public:
  int CreateStreamSocket() override {
    if (socketFails) {
      errno = EMFILE;
      return -1;
    }
    const int fd = PosixSocketStack::Instance().CreateStreamSocket();
    if (sendBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return fd;
  }
  bool socketFails = false;
  int sendBuffer = 0;
};

inline int OpenDescriptorCount() {
  std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<int>(std::distance(begin(fds), end(fds)));
}

}  // namespace brindle::test
