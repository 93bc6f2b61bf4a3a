#pragma once
// How a job reaches its transport: one small interface that opens each kind
// of port and answers the platform query. The system provider opens the
// real transports of port/; job tests hand the job object a fake that
// gives out recording ports.
#include <memory>
#include <optional>
#include <string>

#include "port/Clock.h"
#include "port/DeviceDirectory.h"
#include "port/MessageBox.h"
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
  // Parallel port by name with the write style `syncIo`: 0 or -1.
  virtual OpenedPort OpenParallel(const std::string& portName, int syncIo) = 0;
  // The library that finds USB printers: 1 loaded (already or now), 0 not.
  virtual int LoadSetupApi() = 0;
  // Releases it; always 1.
  virtual int FreeSetupApi() = 0;
  // The first usable USB printer, write style 0: 0 or -1.
  virtual OpenedPort OpenUsbPrinter() = 0;
  // A TCP connection to the printer: 0, or -1 after the message box that
  // says why.
  virtual OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) = 0;
  // The platform query whose answer is `syncIo` for parallel and TCP jobs.
  virtual bool IsWin9xPlatform() = 0;
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
  OpenedPort OpenParallel(const std::string& portName, int syncIo) override;
  int LoadSetupApi() override;
  int FreeSetupApi() override;
  OpenedPort OpenUsbPrinter() override;
  OpenedPort ConnectTcp(const std::string& ipAddress, const std::string& tcpPort) override;
  bool IsWin9xPlatform() override;

  bool SetupApiLoaded() const { return setupApiLoaded_; }

 private:
  DeviceDirectory Devices() const;

  IMessageBox& messages_;
  IClock& clock_;
  std::optional<DeviceDirectory> devices_;
  ISocketStack& sockets_;
  bool setupApiLoaded_ = false;
};

}  // namespace brindle
