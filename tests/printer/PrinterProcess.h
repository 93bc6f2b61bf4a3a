#pragma once
// Runs the built brindle-printer as a child process for tests: reads its
// standard output line by line with a time limit, and stops it with a
// signal. Every wait is bounded so that a fault shows as a failure, never
// as a hung test.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tools/printer/Fd.h"

extern char** environ;

namespace brindle::printer::test {

class PrinterProcess {
 public:
  explicit PrinterProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    out_ = Fd(fds[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<std::string> all{BRINDLE_PRINTER_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
  }
  ~PrinterProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  PrinterProcess(const PrinterProcess&) = delete;
  PrinterProcess& operator=(const PrinterProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The next line of standard output without its newline; empty after
  // `timeoutMs` or at end of output.
  std::string ReadLine(int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const std::size_t newline = buffer_.find('\n');
      if (newline != std::string::npos) {
        std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) return "";
      pollfd p{out_.get(), POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[512];
      const ssize_t n = ::read(out_.get(), chunk, sizeof chunk);
      if (n <= 0) return "";
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // The port from "listening on 127.0.0.1:PORT", or 0.
  int ListeningPort() {
    const std::string line = ReadLine();
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.compare(0, prefix.size(), prefix) != 0) return 0;
    return std::stoi(line.substr(prefix.size()));
  }

  // Sends `sig` and waits up to `timeoutMs` for the exit; the exit code,
  // or -1 when it did not exit normally in time.
  int Stop(int sig = SIGTERM, int timeoutMs = 5000) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, sig);
    return Wait(timeoutMs);
  }

  int Wait(int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  Fd out_;
  std::string buffer_;
};

inline Fd ConnectLoopback(int port, int sendBuffer = 0) {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (sendBuffer > 0) ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return Fd();
  return fd;
}

inline bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) {
      // Pseudo-terminals are not sockets.
      const ssize_t w = n < 0 && errno == ENOTSOCK ? ::write(fd, bytes.data() + done, bytes.size() - done) : -1;
      if (w <= 0) return false;
      done += static_cast<std::size_t>(w);
      continue;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Whatever arrives within `timeoutMs`, stopping early once `want` bytes
// have arrived or the peer has closed.
inline std::vector<std::uint8_t> ReadFor(int fd, int timeoutMs, std::size_t want = SIZE_MAX) {
  std::vector<std::uint8_t> out;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out.size() < want) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
    std::uint8_t chunk[256];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) break;
    out.insert(out.end(), chunk, chunk + n);
  }
  return out;
}

}  // namespace brindle::printer::test
