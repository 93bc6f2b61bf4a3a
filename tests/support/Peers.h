#pragma once
// Printers played by the test: a TCP listener on 127.0.0.1 and the
// controlling side of a pseudo-terminal. Each records what it receives on a
// thread of its own, answers the device check 1D 49 01 with CR if asked,
// and can stop reading or hang up after a number of bytes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace brindle::test {

// A TCP socket the test owns on a free loopback port: Listen (with the given
// receive buffer, accepting only when asked) or Bind, so that connections
// are refused. Each returns the port, or -1.
class UniqueSocket {
 public:
  UniqueSocket() = default;
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() { Close(); }
  int Listen(int receiveBuffer, int backlog = 8) { return Open(receiveBuffer, backlog); }
  int Bind() { return Open(0, -1); }
  // The next connection within a second, kept until Close; or -1.
  int Accept() {
    pollfd p{fd_, POLLIN, 0};
    const int c = ::poll(&p, 1, 1000) == 1 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (c >= 0) accepted_.push_back(c);
    return c;
  }
  int Fd() const { return fd_; }
  void Close() {
    for (int c : accepted_) ::close(c);
    accepted_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int Open(int receiveBuffer, int backlog) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), length) != 0 ||
        (backlog >= 0 && ::listen(fd_, backlog) != 0) ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
      return -1;
    }
    return ntohs(a.sin_port);
  }
  int fd_ = -1;
  std::vector<int> accepted_;
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
  // Records what arrives on `fd` until the test stops, the peer hangs up as
  // asked or (for a socket) the sender closes.
  void Pump(int fd, bool socket) {
    std::uint8_t buf[65536];
    for (std::size_t n; !stop_ && (n = Count()) < options_.hangUpAfter;) {
      const std::size_t limit = std::min(options_.stopReadingAfter, options_.hangUpAfter);
      pollfd p{fd, POLLIN, 0};
      if (n >= limit || ::poll(&p, 1, 10) != 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(n >= limit ? 2 : 0));
        continue;
      }
      const ssize_t got = ::read(fd, buf, std::min(sizeof buf, limit - n));
      if (got <= 0 && socket) break;
      if (got <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (got > 0 && Take(buf, static_cast<std::size_t>(got))) {
        (void)!(socket ? ::send(fd, "\r", 1, MSG_NOSIGNAL) : ::write(fd, "\r", 1));
      }
    }
  }
  // Takes received bytes; true when the check request is complete and has
  // not been answered yet.
  bool Take(const std::uint8_t* data, std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (options_.keep || count_ < 3) bytes_.insert(bytes_.end(), data, data + n);
    count_ += n;
    const bool answer = options_.answerCheck && !answered_ && bytes_.size() >= 3 &&
                        bytes_[0] == 0x1D && bytes_[1] == 0x49 && bytes_[2] == 0x01;
    answered_ = answered_ || answer;
    return answer;
  }
  std::vector<std::uint8_t> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }
  void Join() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
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
  explicit TcpPeer(PeerOptions options = {}) : Peer(options) {
    port_ = listen_.Listen(options.receiveBuffer);
    thread_ = std::thread([this] {
      int conn = -1;
      for (pollfd p{listen_.Fd(), POLLIN, 0}; !stop_ && conn < 0;) {
        if (::poll(&p, 1, 10) == 1) conn = ::accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC);
      }
      if (conn >= 0) {
        Pump(conn, true);
        ::close(conn);
      }
      done_ = true;
    });
  }
  ~TcpPeer() { Stop(); }
  std::string PortText() const { return std::to_string(port_); }
  // Waits until the sender has closed (or `waitMs` passed), then stops.
  std::vector<std::uint8_t> Received(int waitMs = 2000) {
    for (int ms = 0; !done_ && ms < waitMs; ++ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Stop();
    return Data();
  }
  void Stop() {
    Join();
    listen_.Close();
  }

 private:
  UniqueSocket listen_;
  int port_ = 0;
  std::atomic<bool> done_{false};
};

// The controlling side of a pseudo-terminal whose client side the job opens
// by path. A hang-up closes it, which makes the client's writes fail.
class PtyPeer : public Peer {
 public:
  explicit PtyPeer(PeerOptions options = {})
      : Peer(options), master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      slave_ = ::ptsname(master_);
    }
    thread_ = std::thread([this] {
      Pump(master_, false);
      if (!stop_) ::close(std::exchange(master_, -1));
    });
  }
  ~PtyPeer() { Stop(); }
  bool Ok() const { return !slave_.empty(); }
  const std::string& SlavePath() const { return slave_; }
  // Takes what is still buffered, stops and returns everything received.
  std::vector<std::uint8_t> Received() {
    Join();
    std::uint8_t buf[4096];
    for (ssize_t n; master_ >= 0 && (n = ::read(master_, buf, sizeof buf)) > 0;) {
      Take(buf, static_cast<std::size_t>(n));
    }
    Stop();
    return Data();
  }
  void Stop() {
    Join();
    if (master_ >= 0) ::close(std::exchange(master_, -1));
  }

 private:
  int master_;
  std::string slave_;
};

}  // namespace brindle::test
