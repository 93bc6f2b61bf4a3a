#pragma once
// The port names a job can be given and which transport each one selects.
#include <span>
#include <string_view>

namespace brindle {

// The four transports. Each upload stream has one variant per kind; the
// printout and erase senders send the same bytes on all of them.
enum class PortKind { Com, Lpt, Usb, Tcp };

// The first three characters of the port name, compared exactly: "USB"
// selects the USB printer, "COM" the serial line, anything else (the list
// offers "LPT1" and "LPT2") a parallel port opened by its name. Never Tcp:
// the window picks the TCP/IP jobs by their own entry points.
PortKind PortKindOf(std::string_view portName);

// Every port name, in the order of the window's Port list: "LPT1", "LPT2",
// "USB", "TCP/IP", "COM1" ... "COM12".
std::span<const std::string_view> PortNames();

}  // namespace brindle
