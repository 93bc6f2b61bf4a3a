#include "port/Port.h"

#include <cstring>

namespace brindle {

std::string DescribePortError(const PortError& error) {
  std::string text = error.device.empty() ? std::string("port") : error.device;
  text += ": ";
  text += error.code == 0 ? "no error" : std::strerror(error.code);
  return text;
}

}  // namespace brindle
