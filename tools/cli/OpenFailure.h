#pragma once
// Why a port could not be opened, in a person's words.
#include <string>

#include "port/Port.h"

namespace brindle::cli {

// One line naming the device tried and what to do about it; empty when the
// system gave no reason. `portName` is the name the user chose ("COM1",
// "USB", "TCP/IP", ...).
std::string ExplainOpenFailure(const PortError& error, const std::string& portName);

}  // namespace brindle::cli
