#pragma once
// --replay: a captured byte file fed to the printer as a host would send
// it, a receive buffer's worth at a time, each piece's printing waited for
// on the clock. Memory stays bounded whatever the file's size.
#include <string>

#include "tools/printer/Clock.h"
#include "tools/printer/Session.h"

namespace brindle::printer {

enum class ReplayEnd {
  EndOfFile,   // all of it taken (an off-line printer takes a buffer's worth)
  Stopped,     // a wait on the clock was cut short
  Unreadable,  // not a regular file, or a read failed after what was taken
};
ReplayEnd Replay(const std::string& path, Session& session, Clock& clock);

}  // namespace brindle::printer
