#pragma once
// A port provider for job tests: logs every open, load and release it is
// asked for into the shared log and hands out logging ports, configured
// with the replies and failing writes the test chose.
#include <cerrno>
#include <memory>
#include <string>

#include "Recorder.h"
#include "device/PortProvider.h"

namespace brindle::test {

class FakePortProvider final : public IPortProvider {
 public:
  explicit FakePortProvider(Log& log) : log_(log) {}

  OpenedPort OpenSerial(const std::string& portName, int baudCode, int bitLength, int parity,
                        int stopBits, int handshake) override {
    log_.push_back(Call("OpenSerial " + portName + " " + std::to_string(baudCode) + " " +
                        std::to_string(bitLength) + " " + std::to_string(parity) + " " +
                        std::to_string(stopBits) + " " + std::to_string(handshake)));
    return Make(openResult);
  }
  OpenedPort OpenParallel(const std::string& portName, int syncIo) override {
    log_.push_back(Call("OpenParallel " + portName + " syncIo " + std::to_string(syncIo)));
    return Make(openResult);
  }
  int LoadSetupApi() override {
    log_.push_back(Call("LoadSetupApi"));
    return loadResult;
  }
  int FreeSetupApi() override {
    log_.push_back(Call("FreeSetupApi"));
    return 1;
  }
  OpenedPort OpenUsbPrinter() override {
    log_.push_back(Call("OpenUsbPrinter"));
    return Make(openResult);
  }
  OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) override {
    log_.push_back(Call("ConnectTcp " + ipAddress + ":" + tcpPort));
    return Make(openResult);
  }
  bool IsWin9xPlatform() override { return win9x; }

  int openResult = 0;  // of the next open
  int loadResult = 1;
  bool win9x = false;
  std::deque<Bytes> replies;            // given to each port
  std::set<std::size_t> failingWrites;  // given to each port
  int finishResult = 1;                 // what each port's Finish reports

 private:
  // A port exists whatever the result, as the real transports do; it is
  // open after 0, and after -2 from a serial open.
  OpenedPort Make(int result) {
    auto port = std::make_unique<LogPort>(log_);
    port->open = result == 0 || result == -2;
    port->replies = replies;
    port->failingWrites = failingWrites;
    port->finishResult = finishResult;
    port->error = {result == 0 ? 0 : ENOENT, "/dev/fake"};
    return {result, std::move(port)};
  }
  Log& log_;
};

}  // namespace brindle::test
