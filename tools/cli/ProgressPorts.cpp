#include "tools/cli/ProgressPorts.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace brindle::cli {
namespace {

class CountingPort final : public IPort {
 public:
  CountingPort(std::unique_ptr<IPort> inner, const ProgressFn& progress)
      : inner_(std::move(inner)), progress_(progress) {}

  int Write(const std::uint8_t* data, std::size_t length) override {
    return Count(inner_->Write(data, length), length);
  }
  int WriteTimed(const std::uint8_t* data, std::size_t length) override {
    return Count(inner_->WriteTimed(data, length), length);
  }
  int WriteChunked(const std::uint8_t* data, std::size_t length) override {
    return Count(inner_->WriteChunked(data, length), length);
  }
  int Read(std::uint8_t* buffer, std::size_t size) override { return inner_->Read(buffer, size); }
  void Close() override { inner_->Close(); }
  int Finish() override { return inner_->Finish(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  PortError LastError() const override { return inner_->LastError(); }

 private:
  int Count(int result, std::size_t length) {
    if (result) {
      written_ += length;
      if (progress_) progress_(written_);
    }
    return result;
  }

  std::unique_ptr<IPort> inner_;
  const ProgressFn& progress_;
  std::size_t written_ = 0;
};

}  // namespace

OpenedPort ProgressPortProvider::Wrap(OpenedPort opened) {
  if (opened.port) opened.port = std::make_unique<CountingPort>(std::move(opened.port), progress_);
  return opened;
}

OpenedPort ProgressPortProvider::OpenSerial(const std::string& portName, int baudCode,
                                            int bitLength, int parity, int stopBits,
                                            int handshake) {
  return Wrap(inner_.OpenSerial(portName, baudCode, bitLength, parity, stopBits, handshake));
}

OpenedPort ProgressPortProvider::OpenParallel(const std::string& portName) {
  return Wrap(inner_.OpenParallel(portName));
}

OpenedPort ProgressPortProvider::OpenUsbPrinter() { return Wrap(inner_.OpenUsbPrinter()); }

OpenedPort ProgressPortProvider::ConnectTcp(const std::string& ipAddress,
                                            const std::string& tcpPort) {
  return Wrap(inner_.ConnectTcp(ipAddress, tcpPort));
}

void ProgressBar::Update(std::size_t bytesWritten) {
  if (!terminal_ || total_ == 0 || finished_) return;
  const int percent = static_cast<int>(std::min<std::size_t>(100, bytesWritten * 100 / total_));
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const int filled = percent * 30 / 100;
  std::fprintf(terminal_, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
               std::string(30 - filled, '.').c_str(), percent);
  std::fflush(terminal_);
}

void ProgressBar::Finish() {
  if (terminal_ && shownPercent_ >= 0 && !finished_) std::fputc('\n', terminal_);
  finished_ = true;
}

}  // namespace brindle::cli
