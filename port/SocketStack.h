#pragma once
// The socket layer as the TCP link starts and uses it. POSIX sockets need
// no start-up, so the real stack always grants the version asked for; the
// interface lets tests play a stack that refuses to start, grants the
// wrong version, fails to shut down or cannot create a socket.
#include <cstdint>

namespace brindle {

class ISocketStack {
 public:
  virtual ~ISocketStack() = default;
  // Starts the stack asking for `requested` (low byte major, high byte
  // minor version). Returns 0 and stores the granted version, or nonzero.
  virtual int Startup(std::uint16_t requested, std::uint16_t* granted) = 0;
  // Shuts the stack down once per successful Startup. Returns 0 or nonzero.
  virtual int Cleanup() = 0;
  // The error code of the last failed stack call (for messages).
  virtual int LastError() const = 0;
  // A new IPv4 stream socket (close-on-exec), or -1 with errno set.
  virtual int CreateStreamSocket() = 0;
};

class PosixSocketStack final : public ISocketStack {
 public:
  int Startup(std::uint16_t requested, std::uint16_t* granted) override;
  int Cleanup() override;
  int LastError() const override;
  int CreateStreamSocket() override;
  static PosixSocketStack& Instance();
};

}  // namespace brindle
