#include "tools/cli/OpenFailure.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace brindle::cli {

std::string AccessAdvice(const std::string& device) {
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0) return "";
  if ((st.st_mode & S_IWGRP) == 0) return "only root may use it";
  group entry{};
  group* g = nullptr;
  char buffer[4096];
  ::getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &g);
  const std::string name = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
  return "members of the group '" + name + "' may use it (sudo usermod -aG " + name +
         " $USER, then log in again)";
}

std::string ExplainOpenFailure(const PortError& error, const std::string& portName) {
  const std::string device = error.device.empty() ? portName : error.device;
  switch (error.code) {
    case 0:
      if (portName == "USB") {
        return "no USB printer found (none of usb/lp0 ... usb/lp15 could be opened)";
      }
      return "";
    case EACCES:
    case EPERM: {
      const std::string advice = AccessAdvice(device);
      return device + ": permission denied" + (advice.empty() ? "" : "; " + advice);
    }
    case EBUSY:
    case EWOULDBLOCK:
      return device + ": busy; another program holds the port";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return device + ": no such port on this computer";
    default:
      return device + ": " + std::strerror(error.code);
  }
}

}  // namespace brindle::cli
