#pragma once
// Loopback sockets and a printer played by the test over TCP.
#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brindle::test {

// A socket on a free loopback port: Listen (accepting when asked) or Bind
// (refusing connections) return the port, or -1.
class UniqueSocket {
 public:
  UniqueSocket() = default;
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() { Close(); }
  int Listen(int receiveBuffer, int backlog = 8) { return Open(receiveBuffer, backlog); }
  int Bind() { return Open(0, -1); }
  // The next connection within `ms`, kept until Close; or -1.
  int Accept(int ms = 1000) {
    pollfd p{fd_, POLLIN, 0};
    const int c = ::poll(&p, 1, ms) == 1 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (c >= 0) accepted_.push_back(c);
    return c;
  }
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
  int receiveBuffer = 0;  // SO_RCVBUF, 0 to keep
};

// Records one connection on a thread until the sender closes or the test
// stops it; answers the device check 1D 49 01 with CR if asked.
class TcpPeer {
 public:
  explicit TcpPeer(PeerOptions options = {}) : options_(options) {
    port_ = listen_.Listen(options.receiveBuffer);
    thread_ = std::thread([this] {
      int conn = -1;
      while (!stop_ && conn < 0) conn = listen_.Accept(10);
      for (std::uint8_t buf[65536]; !stop_ && conn >= 0;) {
        const std::size_t n = Data().size(), limit = options_.stopReadingAfter;
        pollfd p{conn, POLLIN, 0};
        if (n >= limit || ::poll(&p, 1, 10) != 1) {
          std::this_thread::sleep_for(std::chrono::milliseconds(n >= limit ? 2 : 0));
          continue;
        }
        const ssize_t got = ::recv(conn, buf, std::min(sizeof buf, limit - n), 0);
        if (got <= 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        bytes_.insert(bytes_.end(), buf, buf + got);
        const std::uint8_t check[] = {0x1D, 0x49, 0x01};
        if (options_.answerCheck && !answered_ && bytes_.size() >= 3 &&
            std::equal(check, check + 3, bytes_.begin())) {
          answered_ = ::send(conn, "\r", 1, MSG_NOSIGNAL) == 1;
        }
      }
      if (conn >= 0) ::shutdown(conn, SHUT_RDWR);  // closed with the listener
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
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    listen_.Close();
  }

 private:
  std::vector<std::uint8_t> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }
  PeerOptions options_;
  UniqueSocket listen_;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false}, done_{false};
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
  bool answered_ = false;
};

}  // namespace brindle::test
