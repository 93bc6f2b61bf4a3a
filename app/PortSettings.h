#pragma once
// The "Port Setting" choices as a device operation reads them when it
// starts. Nothing caches them between operations.
#include <string>

namespace brindle {

struct PortSettings {
  int deviceIndex = 0;  // 0 "Thermal", 1 "Dot"
  std::string portName;  // text of the selected Port entry
  int baudCode = 7;      // 3..10, from the BaudRate text
  int dataBitsIndex = 0;
  int parityIndex = 0;  // 0 NONE, 1 EVEN, 2 ODD
  int stopBitsIndex = 0;
  int handshakeIndex = 0;
  std::string ipAddress;
  std::string tcpPort;

  // "TCP/IP" selects the network operations; every other name a local port.
  bool IsTcp() const { return portName == "TCP/IP"; }
};

}  // namespace brindle
