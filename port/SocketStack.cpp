#include "port/SocketStack.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace brindle {

int PosixSocketStack::CreateStreamSocket() {
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

PosixSocketStack& PosixSocketStack::Instance() {
  static PosixSocketStack stack;
  return stack;
}

}  // namespace brindle
