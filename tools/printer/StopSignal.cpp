#include "tools/printer/StopSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace brindle::printer {
namespace {

int g_writeFd = -1;
volatile std::sig_atomic_t g_raised = 0;

void OnSignal(int) {
  g_raised = 1;
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

bool StopSignal::Raised() const { return g_raised != 0; }

}  // namespace brindle::printer
