#pragma once
// Stand-in devices for transport tests: a temporary device directory, and
// pseudo-terminals whose client side the code under test opens by path
// (through a symbolic link in that directory) while the test plays the
// printer on the controlling side.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::test {

class TempDeviceDir {
 public:
  TempDeviceDir() {
    char pattern[] = "/tmp/brindle-devXXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDeviceDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDeviceDir(const TempDeviceDir&) = delete;
  TempDeviceDir& operator=(const TempDeviceDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  void Link(const std::string& name, const std::string& target) const {
    std::filesystem::create_directories(std::filesystem::path(*this / name).parent_path());
    std::filesystem::create_symlink(target, *this / name);
  }
  void Fifo(const std::string& name) const {
    std::filesystem::create_directories(std::filesystem::path(*this / name).parent_path());
    ::mkfifo((*this / name).c_str(), 0600);
  }

 private:
  std::string path_;
};

class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      slave_ = ::ptsname(master_);
      // Raw, so that a stand-in printer port passes bytes as they are.
      termios t{};
      ::tcgetattr(master_, &t);
      ::cfmakeraw(&t);
      ::tcsetattr(master_, TCSANOW, &t);
    }
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool Ok() const { return master_ >= 0 && !slave_.empty(); }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slave_; }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  // What the client side wrote so far (non-blocking; empty when nothing).
  std::vector<unsigned char> Drain() const {
    std::vector<unsigned char> out;
    int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    unsigned char buf[4096];
    for (;;) {
      ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    ::fcntl(master_, F_SETFL, flags);
    return out;
  }
  void Send(const std::vector<unsigned char>& bytes) const {
    ssize_t n = ::write(master_, bytes.data(), bytes.size());
    (void)n;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

// Number of open descriptors of this process.
inline int OpenDescriptorCount() {
  int n = 0;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd");
       it != std::filesystem::directory_iterator(); ++it) {
    ++n;
  }
  return n;
}

}  // namespace brindle::test
