#pragma once
// SIGINT and SIGTERM ask the printer to stop. The handler only writes a
// byte into a pipe; every wait polls the pipe's read end, so a stop ends
// any wait at once and the program unwinds normally (files closed, the
// pseudo-terminal link removed).
namespace brindle::printer {

class StopSignal {
 public:
  // Installs the handlers (once per process) and ignores SIGPIPE, so that
  // a host that went away shows up as a failed write instead.
  static StopSignal& Install();
  int fd() const { return readFd_; }
  bool Raised() const;

 private:
  StopSignal();
  int readFd_ = -1;
};

}  // namespace brindle::printer
