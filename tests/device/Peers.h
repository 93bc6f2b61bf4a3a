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

struct PeerOptions {
  bool answerCheck = true;                                    // reply 0D to 1D 49 01
  std::size_t stopReadingAfter = std::numeric_limits<std::size_t>::max();
  std::size_t hangUpAfter = std::numeric_limits<std::size_t>::max();
  int receiveBuffer = 0;                                      // SO_RCVBUF, 0 to keep
  bool keep = true;                                           // record the bytes
};

// Shared by both peers: what arrived so far and the reactions to it.
class PeerRecord {
 public:
  explicit PeerRecord(PeerOptions options) : options_(options) {}
  // Takes `n` received bytes; returns the reply to send (maybe empty).
  std::vector<std::uint8_t> Take(const std::uint8_t* data, std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t before = count_;
    count_ += n;
    if (options_.keep || before < 3) bytes_.insert(bytes_.end(), data, data + n);
    if (options_.answerCheck && !answered_ && bytes_.size() >= 3 && bytes_[0] == 0x1D &&
        bytes_[1] == 0x49 && bytes_[2] == 0x01) {
      answered_ = true;
      return {0x0D};
    }
    return {};
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }
  std::vector<std::uint8_t> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }
  const PeerOptions& Options() const { return options_; }
  // How much to read next: 0 once reading should stop.
  std::size_t Allowance(std::size_t buffer) const {
    const std::size_t n = Count();
    const std::size_t limit = std::min(options_.stopReadingAfter, options_.hangUpAfter);
    return n >= limit ? 0 : std::min(buffer, limit - n);
  }

 private:
  PeerOptions options_;
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
  std::size_t count_ = 0;
  bool answered_ = false;
};

// Accepts one connection and records it until the sender closes, the test
// stops it, or it hangs up as asked.
class TcpPeer {
 public:
  explicit TcpPeer(PeerOptions options = {}) : record_(options) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (options.receiveBuffer > 0) {
      ::setsockopt(listen_, SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer,
                   sizeof options.receiveBuffer);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 4);
    socklen_t len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~TcpPeer() { Stop(); }
  TcpPeer(const TcpPeer&) = delete;
  TcpPeer& operator=(const TcpPeer&) = delete;

  std::string PortText() const { return std::to_string(port_); }
  // Waits until the sender has closed (or `waitMs` passed), then stops.
  std::vector<std::uint8_t> Received(int waitMs = 2000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!done_ && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Stop();
    return record_.Data();
  }
  std::size_t Count() const { return record_.Count(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
  }

 private:
  void Run() {
    int conn = -1;
    while (!stop_ && conn < 0) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 10) == 1) conn = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    std::uint8_t buf[65536];
    while (!stop_ && conn >= 0) {
      const std::size_t allowance = record_.Allowance(sizeof buf);
      if (allowance == 0) {
        if (record_.Count() >= record_.Options().hangUpAfter) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      pollfd p{conn, POLLIN, 0};
      if (::poll(&p, 1, 10) != 1) continue;
      const ssize_t n = ::recv(conn, buf, allowance, 0);
      if (n <= 0) break;
      const auto reply = record_.Take(buf, static_cast<std::size_t>(n));
      if (!reply.empty()) ::send(conn, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    if (conn >= 0) ::close(conn);
    done_ = true;
  }

  PeerRecord record_;
  int listen_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
};

// The controlling side of a pseudo-terminal whose client side the job
// opens by path. Records until stopped; a hang-up closes the controlling
// side, which makes the client's writes fail.
class PtyPeer {
 public:
  explicit PtyPeer(PeerOptions options = {}) : record_(options) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      slave_ = ::ptsname(master_);
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~PtyPeer() { Stop(); }
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  bool Ok() const { return !slave_.empty(); }
  const std::string& SlavePath() const { return slave_; }
  // Drains what is still buffered, stops and returns everything received.
  std::vector<std::uint8_t> Received() {
    Stop();
    return record_.Data();
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  // Reads one buffer's worth; false when nothing was there.
  bool ReadSome() {
    std::uint8_t buf[4096];
    const std::size_t allowance = record_.Allowance(sizeof buf);
    if (allowance == 0) return false;
    const ssize_t n = ::read(master_, buf, allowance);
    if (n <= 0) return false;  // EAGAIN, or EIO while the client side is closed
    const auto reply = record_.Take(buf, static_cast<std::size_t>(n));
    if (!reply.empty()) {
      ssize_t w = ::write(master_, reply.data(), reply.size());
      (void)w;
    }
    return true;
  }
  void Run() {
    while (!stop_ && master_ >= 0) {
      if (record_.Count() >= record_.Options().hangUpAfter) {
        ::close(master_);
        master_ = -1;
        break;
      }
      if (!ReadSome()) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    while (master_ >= 0 && ReadSome()) {
    }
  }

  PeerRecord record_;
  int master_ = -1;
  std::string slave_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace brindle::test
