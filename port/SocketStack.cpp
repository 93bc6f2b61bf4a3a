#include "port/SocketStack.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace brindle {

int PosixSocketStack::Startup(std::uint16_t requested, std::uint16_t* granted) {
  *granted = requested;
  return 0;
}

int PosixSocketStack::Cleanup() { return 0; }

int PosixSocketStack::LastError() const { return errno; }

int PosixSocketStack::CreateStreamSocket() {
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

PosixSocketStack& PosixSocketStack::Instance() {
  static PosixSocketStack stack;
  return stack;
}

}  // namespace brindle
