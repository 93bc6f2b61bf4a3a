#include "tools/printer/Replay.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "tools/printer/Files.h"

namespace brindle::printer {

ReplayEnd Replay(const std::string& path, Session& session, Clock& clock) {
  bool missing = false;
  const Fd fd = OpenRegularFile(path, missing);
  if (!fd) return ReplayEnd::Unreadable;
  std::uint8_t piece[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReplayEnd::Unreadable;
    if (n == 0) return ReplayEnd::EndOfFile;
    for (std::size_t at = 0; at < static_cast<std::size_t>(n);) {
      const std::size_t take = std::min(static_cast<std::size_t>(n) - at, session.Room());
      if (take == 0) return ReplayEnd::EndOfFile;
      session.Receive(piece + at, take);
      at += take;
      while (session.Waiting() && session.Online()) {
        session.Process();
        if (!clock.Sleep(PrintMs(session.TakePrintedRows()))) return ReplayEnd::Stopped;
      }
    }
  }
}

}  // namespace brindle::printer
