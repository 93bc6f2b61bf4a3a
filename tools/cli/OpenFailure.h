#pragma once
// Why a port could not be opened, in a person's words.
#include <string>

#include "port/Port.h"

namespace brindle::cli {

// Who may open `device` for writing, from its mode and owning group: "only
// root may use it" when its group may not write it, else the group and how
// to join it. Empty when the device cannot be examined.
std::string AccessAdvice(const std::string& device);

// One line naming the device tried and what to do about it; empty when the
// system gave no reason. `portName` is the name the user chose ("COM1",
// "USB", "TCP/IP", ...).
std::string ExplainOpenFailure(const PortError& error, const std::string& portName);

}  // namespace brindle::cli
