#pragma once
// Ports that report how many bytes an upload has written, for the
// command-line progress bar.
#include <cstddef>
#include <functional>
#include <memory>

#include "device/PortProvider.h"

namespace brindle::cli {

using ProgressFn = std::function<void(std::size_t bytesWritten)>;

// Opens ports through `inner` and wraps each in a port that calls
// `progress` after every successful write with the running total.
class ProgressPortProvider final : public IPortProvider {
 public:
  ProgressPortProvider(IPortProvider& inner, ProgressFn progress)
      : inner_(inner), progress_(std::move(progress)) {}

  OpenedPort OpenSerial(const std::string& portName, int baudCode, int bitLength, int parity,
                        int stopBits, int handshake) override;
  OpenedPort OpenParallel(const std::string& portName) override;
  OpenedPort OpenUsbPrinter() override;
  OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) override;

 private:
  OpenedPort Wrap(OpenedPort opened);

  IPortProvider& inner_;
  ProgressFn progress_;
};

// Draws "[#####.....]  42%" on a terminal line, rewritten in place.
class ProgressBar {
 public:
  ProgressBar(std::FILE* terminal, std::size_t totalBytes)
      : terminal_(terminal), total_(totalBytes) {}
  void Update(std::size_t bytesWritten);
  void Finish();

 private:
  std::FILE* terminal_;
  std::size_t total_;
  int shownPercent_ = -1;
  bool finished_ = false;
};

}  // namespace brindle::cli
