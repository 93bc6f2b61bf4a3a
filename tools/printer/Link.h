#pragma once
// The loop that serves one connection, the same for a TCP socket and a
// pseudo-terminal: read what the host sends (within the fault limits and
// while the receive buffer has room), answer real-time requests at once,
// let the printer carry out the rest once it has finished printing what
// came before, send the replies back.
#include <cstdint>
#include <string>

#include "tools/printer/Clock.h"
#include "tools/printer/Options.h"
#include "tools/printer/Session.h"
#include "tools/printer/StopSignal.h"

namespace brindle::printer {

enum class LinkEnd {
  PeerClosed,  // the host closed or reset the connection
  Dropped,     // --close-after: the printer closed it
  GaveWay,     // stalled (or off-line and full), and another host is waiting to connect
  Stopped,     // SIGINT or SIGTERM
  Failed,      // an unexpected read error
};

struct LinkResult {
  LinkEnd end = LinkEnd::PeerClosed;
  std::string text;  // for the summary line
};

struct Connection {
  int fd = -1;         // connected socket or pseudo-terminal master, non-blocking
  bool pty = false;    // a hang-up shows as EIO rather than end-of-file
  int listener = -1;   // pending connections here end a stall; -1 for none
};

// `busyUntil` is the time on `clock` at which the printer has finished
// printing what it was given before; it carries over between connections.
LinkResult ServeLink(const Connection& link, Session& session, const Options& options,
                     const StopSignal& stop, Clock& clock, std::int64_t& busyUntil);

}  // namespace brindle::printer
