#include "tools/printer/Link.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace brindle::printer {
namespace {

using Steady = std::chrono::steady_clock;

// Reading at `rate` bytes per second: credit grows with time, capped at a
// twentieth of a second's worth so that an idle host cannot save up a
// burst faster than the line.
class Pace {
 public:
  explicit Pace(std::uint64_t rate) : rate_(rate), last_(Steady::now()) {}
  // Bytes that may be read now (0: wait WaitMs() first).
  std::size_t Allowed() {
    if (rate_ == 0) return SIZE_MAX;
    const auto now = Steady::now();
    const double seconds = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    credit_ = std::min(credit_ + seconds * static_cast<double>(rate_),
                       std::max(1.0, static_cast<double>(rate_) / 20.0));
    return static_cast<std::size_t>(credit_);
  }
  int WaitMs() const {
    const double missing = 1.0 - credit_;
    return std::max(1, static_cast<int>(missing * 1000.0 / static_cast<double>(rate_)) + 1);
  }
  void Spend(std::size_t bytes) {
    if (rate_ != 0) credit_ -= static_cast<double>(bytes);
  }

 private:
  std::uint64_t rate_;
  Steady::time_point last_;
  double credit_ = 0;
};

// Writes the reply in full, waiting up to two seconds for room.
bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 2000) <= 0) return false;
  }
  return true;
}

std::string Bytes(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// A stalled connection reads nothing more; it ends when the host hangs up,
// another host connects, or the printer is stopped.
LinkResult Stall(const Connection& link, const std::string& after, const StopSignal& stop) {
  for (;;) {
    pollfd fds[3] = {{stop.fd(), POLLIN, 0},
                     {link.fd, static_cast<short>(link.pty ? 0 : POLLRDHUP), 0},
                     {link.listener, POLLIN, 0}};
    const int count = link.listener >= 0 ? 3 : 2;
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      return {LinkEnd::Failed, after + "; poll failed: " + std::strerror(errno)};
    }
    if (fds[0].revents) return {LinkEnd::Stopped, after + "; stopped"};
    if (fds[1].revents & (POLLHUP | POLLERR | POLLRDHUP)) {
      // A pseudo-terminal keeps what the host wrote after it closed; it is
      // discarded so that it does not pose as the next connection.
      std::uint64_t discarded = 0;
      std::uint8_t buffer[4096];
      for (ssize_t n; link.pty && (n = ::read(link.fd, buffer, sizeof buffer)) > 0;) {
        discarded += static_cast<std::uint64_t>(n);
      }
      return {LinkEnd::PeerClosed,
              after + "; host hung up" +
                  (discarded > 0 ? ", " + Bytes(discarded) + " left unread" : "")};
    }
    if (count == 3 && (fds[2].revents & POLLIN)) {
      return {LinkEnd::GaveWay, after + "; dropped for the next connection"};
    }
  }
}

}  // namespace

LinkResult ServeLink(const Connection& link, Session& session, const Options& options,
                     const StopSignal& stop, Clock& clock, std::int64_t& busyUntil) {
  Pace pace(options.rate);
  std::uint64_t total = 0;
  std::uint8_t buffer[4096];
  for (;;) {
    const std::int64_t now = clock.NowMs();
    const bool toPrint = session.Waiting() && session.Online();
    if (toPrint && now >= busyUntil) {
      // A reply the host does not take is lost, as on a real line; the
      // next read shows whether the host has gone.
      const std::vector<std::uint8_t> reply = session.Process();
      if (!reply.empty()) SendAll(link.fd, reply);
      busyUntil = now + PrintMs(session.TakePrintedRows());
      continue;
    }
    // Stalled, or off-line with a full buffer, it reads nothing more; what
    // it holds is carried out when the connection ends.
    if (options.stallAfter > 0 && total >= options.stallAfter) {
      return Stall(link, "stalled after " + Bytes(total), stop);
    }
    if (session.Room() == 0 && !session.Online()) {
      return Stall(link, "off-line, receive buffer full after " + Bytes(total), stop);
    }

    // Read what the buffer has room for (and the fault limits allow), or
    // wait for the printing to end or the line's pace.
    std::size_t want = std::min(sizeof buffer, session.Room());
    if (options.closeAfter > 0) want = std::min<std::uint64_t>(want, options.closeAfter - total);
    if (options.stallAfter > 0) want = std::min<std::uint64_t>(want, options.stallAfter - total);
    int timeout = toPrint ? static_cast<int>(std::min<std::int64_t>(busyUntil - now, 60000)) : -1;
    if (want > 0) {
      const std::size_t allowed = pace.Allowed();
      if (allowed == 0) timeout = timeout < 0 ? pace.WaitMs() : std::min(timeout, pace.WaitMs());
      want = std::min(want, allowed);
    }
    pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {link.fd, POLLIN, 0}};
    const int ready = ::poll(fds, want > 0 ? 2 : 1, timeout);
    if (ready < 0 && errno != EINTR) {
      return {LinkEnd::Failed, "poll failed: " + std::string(std::strerror(errno))};
    }
    if (fds[0].revents) return {LinkEnd::Stopped, "stopped"};
    if (want == 0 || ready <= 0) continue;

    const ssize_t n = ::read(link.fd, buffer, want);
    if (n == 0) return {LinkEnd::PeerClosed, "closed by host"};
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      if (errno == EIO && link.pty) return {LinkEnd::PeerClosed, "closed by host"};
      if (errno == ECONNRESET) return {LinkEnd::PeerClosed, "reset by host"};
      return {LinkEnd::Failed, "read failed: " + std::string(std::strerror(errno))};
    }
    pace.Spend(static_cast<std::size_t>(n));
    total += static_cast<std::uint64_t>(n);
    const std::vector<std::uint8_t> answers = session.Receive(buffer, static_cast<std::size_t>(n));
    if (!answers.empty()) SendAll(link.fd, answers);
    if (options.closeAfter > 0 && total >= options.closeAfter) {
      return {LinkEnd::Dropped, "dropped after " + Bytes(total)};
    }
  }
}

}  // namespace brindle::printer
