#pragma once
// Running the project's programs from tests: one to completion with its
// output captured, or one in the background whose first output line the
// test reads (a server saying where it listens).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace brindle::test {

struct ProcessResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

namespace detail {

inline std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

}  // namespace detail

// Runs `args` with `env` added to the environment and waits for it.
inline ProcessResult RunProcess(std::vector<std::string> args,
                                const std::map<std::string, std::string>& env = {},
                                const std::string& directory = "") {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(0);
    for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(127);
    auto argv = detail::Argv(args);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  ProcessResult r;
  // Both pipes are read together so that neither fills up.
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0 && ::poll(fds, 2, 60000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !fds[i].revents) continue;
      char buf[4096];
      const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto& f : fds) {
    if (f.fd >= 0) ::close(f.fd);
  }
  return r;
}

// A program running in the background; stopped with SIGTERM when the
// object goes away.
class BackgroundProcess {
 public:
  BackgroundProcess(std::vector<std::string> args,
                    const std::map<std::string, std::string>& env = {}) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
      auto argv = detail::Argv(args);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
  }
  ~BackgroundProcess() { Stop(); }
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // The next line of standard output, waiting at most `ms`; empty on time-out.
  std::string ReadLine(int ms = 5000) {
    std::string line;
    while (true) {
      const auto nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      pollfd p{out_, POLLIN, 0};
      if (out_ < 0 || ::poll(&p, 1, ms) != 1) return "";
      char buf[1024];
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return "";
      buffer_.append(buf, static_cast<std::size_t>(n));
    }
  }

  // Ends the program and returns its exit status (-1 if killed).
  int Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

}  // namespace brindle::test
