#include "device/PortProvider.h"

#include "port/PrinterPort.h"
#include "port/SerialPort.h"
#include "port/TcpLink.h"

namespace brindle {

SystemPortProvider::SystemPortProvider(IMessageBox& messages, IClock& clock,
                                       std::optional<DeviceDirectory> devices,
                                       ISocketStack& sockets)
    : messages_(messages), clock_(clock), devices_(std::move(devices)), sockets_(sockets) {}

DeviceDirectory SystemPortProvider::Devices() const {
  return devices_ ? *devices_ : DeviceDirectory::FromEnvironment();
}

OpenedPort SystemPortProvider::OpenSerial(const std::string& portName, int baudCode,
                                          int bitLength, int parity, int stopBits,
                                          int handshake) {
  auto port = std::make_unique<SerialPort>(clock_, Devices());
  const int result =
      port->OpenSerialPort(portName, baudCode, bitLength, parity, stopBits, handshake);
  return {result, std::move(port)};
}

OpenedPort SystemPortProvider::OpenParallel(const std::string& portName) {
  auto port = std::make_unique<PrinterPort>(clock_, Devices());
  const int result = port->OpenParallelPort(portName);
  return {result, std::move(port)};
}

OpenedPort SystemPortProvider::OpenUsbPrinter() {
  auto port = std::make_unique<PrinterPort>(clock_, Devices());
  const int result = port->OpenUsbPrinter();
  return {result, std::move(port)};
}

OpenedPort SystemPortProvider::ConnectTcp(const std::string& ipAddress,
                                          const std::string& tcpPort) {
  auto link = std::make_unique<TcpLink>(messages_, clock_, sockets_);
  const int result = link->ConnectTcp(ipAddress, tcpPort);
  return {result, std::move(link)};
}

}  // namespace brindle
