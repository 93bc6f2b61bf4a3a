#pragma once
// Printers played by the test: a TCP listener on 127.0.0.1 and the
// controlling side of a pseudo-terminal. Each records what it receives on
// a thread of its own, answers the device check request 1D 49 01 with CR
// when asked to, and can stop reading or hang up after a number of bytes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brindle::test {

// A TCP socket the test owns, on a free loopback port: Listen makes it
// listen with the given receive buffer and never accept; Bind only takes
// the port, so that connections to it are refused.
class UniqueSocket {
 public:
  UniqueSocket() = default;
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Listen(int receiveBuffer) { return Open(receiveBuffer, true); }
  int Bind() { return Open(0, false); }

 private:
  int Open(int receiveBuffer, bool listen) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        (listen && ::listen(fd_, 8) != 0) ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
      return -1;
    }
    return ntohs(a.sin_port);
  }

  int fd_ = -1;
};

struct PeerOptions {
  bool answerCheck = true;  // reply 0D to 1D 49 01
  std::size_t stopReadingAfter = std::numeric_limits<std::size_t>::max();
  std::size_t hangUpAfter = std::numeric_limits<std::size_t>::max();
  int receiveBuffer = 0;  // SO_RCVBUF of a TCP peer, 0 to keep
  bool keep = true;       // record the bytes (else only count them)
};

class Peer {
 public:
  explicit Peer(PeerOptions options) : options_(options) {}
  std::size_t Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

 protected:
  // Takes `n` received bytes; true when the device check request is now
  // complete and should be answered.
  bool Take(const std::uint8_t* data, std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (options_.keep || count_ < 3) bytes_.insert(bytes_.end(), data, data + n);
    count_ += n;
    const bool answer = options_.answerCheck && !answered_ && bytes_.size() >= 3 &&
                        bytes_[0] == 0x1D && bytes_[1] == 0x49 && bytes_[2] == 0x01;
    answered_ = answered_ || answer;
    return answer;
  }
  // How much to read next: 0 once reading should stop.
  std::size_t Allowance(std::size_t buffer) const {
    const std::size_t n = Count();
    const std::size_t limit = std::min(options_.stopReadingAfter, options_.hangUpAfter);
    return n >= limit ? 0 : std::min(buffer, limit - n);
  }
  bool HungUp() const { return Count() >= options_.hangUpAfter; }
  std::vector<std::uint8_t> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }

  PeerOptions options_;
  std::thread thread_;
  std::atomic<bool> stop_{false};

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
  std::size_t count_ = 0;
  bool answered_ = false;
};

// Accepts one connection and records it until the sender closes, the test
// stops it, or it hangs up as asked.
class TcpPeer : public Peer {
 public:
  explicit TcpPeer(PeerOptions options = {})
      : Peer(options), listen_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    if (options.receiveBuffer > 0) {
      ::setsockopt(listen_, SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer, sizeof(int));
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), len);
    ::listen(listen_, 4);
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~TcpPeer() { Stop(); }

  std::string PortText() const { return std::to_string(port_); }
  // Waits until the sender has closed (or `waitMs` passed), then stops.
  std::vector<std::uint8_t> Received(int waitMs = 2000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!done_ && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Stop();
    return Data();
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
  }

 private:
  void Run() {
    int conn = -1;
    for (pollfd p{listen_, POLLIN, 0}; !stop_ && conn < 0;) {
      if (::poll(&p, 1, 10) == 1) conn = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    std::uint8_t buf[65536];
    while (!stop_ && conn >= 0) {
      const std::size_t allowance = Allowance(sizeof buf);
      pollfd p{conn, POLLIN, 0};
      if (allowance == 0) {
        if (HungUp()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      } else if (::poll(&p, 1, 10) == 1) {
        const ssize_t n = ::recv(conn, buf, allowance, 0);
        if (n <= 0) break;
        if (Take(buf, static_cast<std::size_t>(n))) ::send(conn, "\r", 1, MSG_NOSIGNAL);
      }
    }
    if (conn >= 0) ::close(conn);
    done_ = true;
  }

  int listen_;
  std::uint16_t port_ = 0;
  std::atomic<bool> done_{false};
};

// The controlling side of a pseudo-terminal whose client side the job
// opens by path. Records until stopped; a hang-up closes the controlling
// side, which makes the client's writes fail.
class PtyPeer : public Peer {
 public:
  explicit PtyPeer(PeerOptions options = {})
      : Peer(options), master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      slave_ = ::ptsname(master_);
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~PtyPeer() { Stop(); }

  bool Ok() const { return !slave_.empty(); }
  const std::string& SlavePath() const { return slave_; }
  // Drains what is still buffered, stops and returns everything received.
  std::vector<std::uint8_t> Received() {
    Stop();
    return Data();
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  // Reads one buffer's worth; false when nothing was there (EAGAIN, or EIO
  // while the client side is closed).
  bool ReadSome() {
    std::uint8_t buf[4096];
    const std::size_t allowance = Allowance(sizeof buf);
    const ssize_t n = allowance == 0 ? 0 : ::read(master_, buf, allowance);
    if (n > 0 && Take(buf, static_cast<std::size_t>(n))) (void)!::write(master_, "\r", 1);
    return n > 0;
  }
  void Run() {
    while (!stop_ && master_ >= 0) {
      if (HungUp()) {
        ::close(master_);
        master_ = -1;
      } else if (!ReadSome()) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
    }
    while (master_ >= 0 && ReadSome()) {
    }
  }

  int master_;
  std::string slave_;
};

}  // namespace brindle::test
