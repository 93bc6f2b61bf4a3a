#pragma once
// Which transport a job uses, told from the Port entry of the main window,
// and the platform query that picks the parallel ports' write style.
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

// The platform family that wants plain synchronous I/O on parallel ports
// and a strict device check. No such family exists on this system: false.
bool IsWin9xPlatform();

}  // namespace brindle
