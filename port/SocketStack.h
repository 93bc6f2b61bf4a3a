#pragma once
// Where the TCP link gets its socket: the real stack, or in tests one that
// cannot create a socket.
namespace brindle {

class ISocketStack {
 public:
  virtual ~ISocketStack() = default;
  // A new IPv4 stream socket (close-on-exec), or -1 with errno set.
  virtual int CreateStreamSocket() = 0;
};

class PosixSocketStack final : public ISocketStack {
 public:
  int CreateStreamSocket() override;
  static PosixSocketStack& Instance();
};

}  // namespace brindle
