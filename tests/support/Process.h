#pragma once
// Programs run from tests: to their end with their output captured, or in
// the background with their output read line by line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace brindle::test {

using Env = std::map<std::string, std::string>;

struct ProcessResult {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out, err;
};

namespace detail {

// Appends what `fd` brings within `ms`; false at the time-out or the end.
inline bool ReadSome(int fd, int ms, std::string& into) {
  pollfd p{fd, POLLIN, 0};
  char buf[4096];
  const ssize_t n = ::poll(&p, 1, ms) == 1 ? ::read(fd, buf, sizeof buf) : 0;
  if (n > 0) into.append(buf, static_cast<std::size_t>(n));
  return n > 0;
}

}  // namespace detail

class BackgroundProcess {
 public:
  // Starts `args` in `dir` with `env` added and no standard input; its
  // output goes to the pipe `out`, its errors to `err` when `errors`.
  explicit BackgroundProcess(std::vector<std::string> args, const Env& env = {},
                             const std::string& dir = "", bool errors = false) {
    int o[2], e[2] = {-1, -1};
    if (::pipe2(o, O_CLOEXEC) != 0 || (errors && ::pipe2(e, O_CLOEXEC) != 0)) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(o[1], 1);
      if (errors) ::dup2(e[1], 2);
      ::close(0);
      for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (dir.empty() || ::chdir(dir.c_str()) == 0) ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(o[1]);
    ::close(e[1]);
    out = o[0];
    err = e[0];
  }
  ~BackgroundProcess() { Stop(); }
  BackgroundProcess(const BackgroundProcess&) = delete;

  // The next line of standard output; empty after `ms` or at its end.
  std::string ReadLine(int ms = 5000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (auto left = ms; buffer_.find('\n') == std::string::npos;) {
      if (left < 0 || !detail::ReadSome(out, left, buffer_)) return "";
      left = int((until - std::chrono::steady_clock::now()) / std::chrono::milliseconds(1));
    }
    const std::string line = buffer_.substr(0, buffer_.find('\n'));
    buffer_.erase(0, line.size() + 1);
    return line;
  }

  // Sends `sig` (0: none), waits 10 s for the end, then kills; the exit
  // status or -1. Notes the peak memory.
  int Stop(int sig = SIGTERM) {
    if (pid_ <= 0) return -1;
    if (sig) ::kill(pid_, sig);
    int status = 0;
    rusage usage{};
    for (int i = 0; ::wait4(pid_, &status, WNOHANG, &usage) != pid_; ++i) {
      if (i == 1000) ::kill(pid_, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(i < 10 ? 1 : 10));
    }
    pid_ = -1;
    peakKb = usage.ru_maxrss;
    ::close(out);
    ::close(err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int out = -1, err = -1;  // the reading ends of the pipes
  long peakKb = 0;

 private:
  pid_t pid_ = -1;
  std::string buffer_;
};

// Runs `args` to its end, reading both pipes so that neither fills up.
inline ProcessResult RunProcess(std::vector<std::string> args, const Env& env = {},
                                const std::string& dir = "") {
  BackgroundProcess p(std::move(args), env, dir, true);
  ProcessResult r;
  pollfd fds[2] = {{p.out, POLLIN, 0}, {p.err, POLLIN, 0}};
  while ((fds[0].fd >= 0 || fds[1].fd >= 0) && ::poll(fds, 2, 60000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents && !detail::ReadSome(fds[i].fd, 0, i ? r.err : r.out)) fds[i].fd = -1;
    }
  }
  r.status = p.Stop(0);
  return r;
}

#ifdef BRINDLE_PRINTER_EXE
// brindle-printer on a loopback port of the system's choice.
struct TcpPrinter {
  explicit TcpPrinter(const std::string& out, std::vector<std::string> args = {})
      : process([&] {
          args.insert(args.begin(), {BRINDLE_PRINTER_EXE, "--port", "0", "--out", out});
          return args;
        }()),
        port(process.ReadLine().substr(23)) {}  // after "listening on 127.0.0.1:"
  BackgroundProcess process;
  const std::string port;
};
#endif

}  // namespace brindle::test
