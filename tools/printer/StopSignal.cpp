#include "tools/printer/StopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>

namespace brindle::printer {
namespace {

int g_writeFd = -1;

void OnSignal(int) {
  if (g_writeFd >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_writeFd, &byte, 1);
  }
}

}  // namespace

StopSignal::StopSignal() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    readFd_ = fds[0];
    g_writeFd = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

StopSignal& StopSignal::Install() {
  static StopSignal instance;
  return instance;
}

bool StopSignal::Raised() const {
  pollfd p{readFd_, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

}  // namespace brindle::printer
