#pragma once
// How a job reaches its transport: one small interface that opens each kind
// of port. The system provider opens the real transports of port/; job
// tests hand the job object a fake that gives out recording ports.
#include <memory>
#include <optional>
#include <string>

#include "core/Clock.h"
#include "core/MessageBox.h"
#include "port/DeviceDirectory.h"
#include "port/Port.h"
#include "port/SocketStack.h"

namespace brindle {

// The result of an open and the transport it concerns. `port` is set
// whatever the result, so that the job can read why an open failed
// (LastError); it is open only for result 0 (and for -2 from a serial open,
// where it must be closed).
struct OpenedPort {
  int result = -1;
  std::unique_ptr<IPort> port;
};

class IPortProvider {
 public:
  virtual ~IPortProvider() = default;

  // Serial line with the five settings of the main window: 0 open and
  // configured, -1 not opened, -2 opened but the settings were refused.
  virtual OpenedPort OpenSerial(const std::string& portName, int baudCode, int bitLength,
                                int parity, int stopBits, int handshake) = 0;
  // Parallel port by name: 0 or -1.
  virtual OpenedPort OpenParallel(const std::string& portName) = 0;
  // The first usable USB printer: 0 or -1.
  virtual OpenedPort OpenUsbPrinter() = 0;
  // A TCP connection to the printer: 0, or -1 after the message box that
  // says why.
  virtual OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) = 0;
};

// The real transports. Device paths resolve under `devices`, or, when none
// is given, under the device directory of the environment at each open;
// TCP connections are made through `sockets`.
class SystemPortProvider final : public IPortProvider {
 public:
  SystemPortProvider(IMessageBox& messages, IClock& clock,
                     std::optional<DeviceDirectory> devices = std::nullopt,
                     ISocketStack& sockets = PosixSocketStack::Instance());

  OpenedPort OpenSerial(const std::string& portName, int baudCode, int bitLength, int parity,
                        int stopBits, int handshake) override;
  OpenedPort OpenParallel(const std::string& portName) override;
  OpenedPort OpenUsbPrinter() override;
  OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) override;

 private:
  DeviceDirectory Devices() const;

  IMessageBox& messages_;
  IClock& clock_;
  std::optional<DeviceDirectory> devices_;
  ISocketStack& sockets_;
};

}  // namespace brindle
