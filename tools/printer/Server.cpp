#include "tools/printer/Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/printer/Fd.h"
#include "tools/printer/Files.h"
#include "tools/printer/Link.h"
#include "tools/printer/Replay.h"

namespace brindle::printer {
namespace {

struct Context {
  const Options& options;
  Printer& printer;
  Output& output;
  const NvStore* store;
  const StopSignal& stop;
  Clock& clock;
  int connections = 0;
  std::int64_t busyUntil = 0;  // on `clock`: when the printing given so far ends
};

// The end of a connection: the printer carries out what it has received
// (the time that takes goes on after the host has left) and logs the rest.
void FinishSession(Context& ctx, Session& session) {
  session.Finish();
  ctx.busyUntil = std::max(ctx.busyUntil, ctx.clock.NowMs()) + PrintMs(session.TakePrintedRows());
}

// Serves one connection and reports it on standard output and in the log.
LinkResult Serve(Context& ctx, const Connection& link, const std::string& peer) {
  const int number = ++ctx.connections;
  ctx.output.Log("# connection " + std::to_string(number) + (peer.empty() ? "" : " from " + peer));
  Session session(ctx.printer, ctx.output, ctx.store, ctx.options.rcvbuf);
  const LinkResult result =
      ServeLink(link, session, ctx.options, ctx.stop, ctx.clock, ctx.busyUntil);
  FinishSession(ctx, session);
  const std::string summary = Summary(number, peer, session.stats(), ctx.printer, result.text);
  ctx.output.Log("# " + summary);
  std::printf("%s\n", summary.c_str());
  return result;
}

// Steady time whose waits end early when the printer is asked to stop.
class StoppableClock final : public Clock {
 public:
  explicit StoppableClock(const StopSignal& stop) : stop_(stop) {}
  std::int64_t NowMs() override { return steady_.NowMs(); }
  bool Sleep(std::int64_t ms) override {
    for (const std::int64_t end = ms > 0 ? NowMs() + ms : 0; ms > 0 && NowMs() < end;) {
      pollfd p{stop_.fd(), POLLIN, 0};
      const auto left = static_cast<int>(std::min<std::int64_t>(end - NowMs(), 60000));
      if (::poll(&p, 1, std::max(left, 0)) > 0) return false;
    }
    return !stop_.Raised();
  }

 private:
  const StopSignal& stop_;
  SteadyClock steady_;
};

int Fail(const std::string& what) {
  std::fprintf(stderr, "brindle-printer: %s\n", what.c_str());
  return 1;
}

std::string Address(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

int RunTcp(Context& ctx) {
  const Options& o = ctx.options;
  Fd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!listener) return Fail(std::string("socket: ") + std::strerror(errno));
  const int on = 1;
  ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  // A receive buffer of a real printer's size: a printer that is busy,
  // off-line, stalled or on a slow line holds the host back after some
  // kilobytes, as real hardware does. Accepted sockets inherit it.
  const int size = static_cast<int>(o.rcvbuf);
  ::setsockopt(listener.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(o.port));
  ::inet_pton(AF_INET, o.bind.c_str(), &address.sin_addr);
  if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.get(), 8) != 0) {
    return Fail("cannot listen on " + o.bind + ":" + std::to_string(o.port) + ": " +
                std::strerror(errno));
  }
  socklen_t length = sizeof address;
  ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
  std::printf("listening on %s\n", Address(address).c_str());

  for (;;) {
    pollfd fds[2] = {{ctx.stop.fd(), POLLIN, 0}, {listener.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return Fail("poll failed");
    if (fds[0].revents) return 0;
    if (!(fds[1].revents & POLLIN)) continue;
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    Fd conn(::accept4(listener.get(), reinterpret_cast<sockaddr*>(&peer), &peerLength,
                      SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!conn) continue;
    const LinkResult result = Serve(ctx, {conn.get(), false, listener.get()}, Address(peer));
    if (result.end == LinkEnd::Stopped) return 0;
  }
}

// A pseudo-terminal in raw mode, so that a host that leaves the line
// settings alone still gets every byte through unchanged.
bool OpenPty(Fd& master, std::string& path) {
  master = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (!master || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) return false;
  const char* name = ::ptsname(master.get());
  if (!name) return false;
  path = name;
  termios settings{};
  if (::tcgetattr(master.get(), &settings) == 0) {
    ::cfmakeraw(&settings);
    ::tcsetattr(master.get(), TCSANOW, &settings);
  }
  return true;
}

// Points `link` at `target`, replacing an earlier link but never a file.
bool MakeLink(const std::string& link, const std::string& target, std::string& error) {
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = link + " exists and is not a symbolic link";
    return false;
  }
  const std::string temp = link + ".tmp";
  ::unlink(temp.c_str());
  if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
    error = "cannot link " + link + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

void RemoveLink(const std::string& link, const std::string& target) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

// Until a host opens the terminal the master reports a hang-up; a
// connection starts when the first byte arrives. Returns false on stop.
bool WaitForHost(int master, const StopSignal& stop) {
  for (;;) {
    pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {master, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
    if (fds[0].revents) return false;
    if (fds[1].revents & POLLIN) return true;
    pollfd idle{stop.fd(), POLLIN, 0};
    if (::poll(&idle, 1, 20) > 0) return false;
  }
}

int RunSerial(Context& ctx) {
  const std::string& link = ctx.options.link;
  for (;;) {
    Fd master;
    std::string path, error;
    if (!OpenPty(master, path)) {
      return Fail(std::string("pseudo-terminal: ") + std::strerror(errno));
    }
    std::printf("serial on %s\n", path.c_str());
    if (!link.empty()) {
      if (!MakeLink(link, path, error)) return Fail(error);
      std::printf("linked %s -> %s\n", link.c_str(), path.c_str());
    }
    // A dropped connection closes the terminal for good, like pulling the
    // cable; the next connection gets a fresh terminal (and link).
    LinkEnd end = LinkEnd::PeerClosed;
    while (end != LinkEnd::Dropped) {
      if (!WaitForHost(master.get(), ctx.stop)) {
        if (!link.empty()) RemoveLink(link, path);
        return 0;
      }
      end = Serve(ctx, {master.get(), true, -1}, path).end;
      if (end == LinkEnd::Stopped) {
        if (!link.empty()) RemoveLink(link, path);
        return 0;
      }
    }
  }
}

int RunReplay(Context& ctx) {
  bool missing = false;
  if (!OpenRegularFile(ctx.options.replayFile, missing)) {
    return Fail("cannot read " + ctx.options.replayFile);
  }
  const int number = ++ctx.connections;
  ctx.output.Log("# connection " + std::to_string(number) + " from " + ctx.options.replayFile);
  Session session(ctx.printer, ctx.output, ctx.store, ctx.options.rcvbuf);
  const ReplayEnd end = Replay(ctx.options.replayFile, session, ctx.clock);
  FinishSession(ctx, session);
  if (end == ReplayEnd::Unreadable) return Fail("cannot read " + ctx.options.replayFile);
  const std::string summary = Summary(number, ctx.options.replayFile, session.stats(), ctx.printer,
                                      end == ReplayEnd::Stopped ? "stopped" : "end of file");
  ctx.output.Log("# " + summary);
  std::printf("%s\n", summary.c_str());
  return 0;
}

}  // namespace

int RunPrinter(const Options& options) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const StopSignal& stop = StopSignal::Install();
  Output output(options.outDir);
  std::string error;
  if (!output.Open(error)) return Fail(error);

  Printer printer(options.printer);
  NvStore store(options.nvStore, options.printer.nvBytes);
  const NvStore* storeUsed = options.nvStore.empty() ? nullptr : &store;
  if (storeUsed) {
    std::vector<NvImage> images;
    DotLogo logo;
    if (!store.Load(images, logo, error)) return Fail(error);
    printer.SetNv(std::move(images));
    printer.SetLogo(std::move(logo));
  }
  output.WriteNv(printer.Nv());
  output.WriteLogo(printer.Logo());

  StoppableClock clock(stop);
  Context ctx{options, printer, output, storeUsed, stop, clock};
  switch (options.kind) {
    case PortKind::Tcp: return RunTcp(ctx);
    case PortKind::Serial: return RunSerial(ctx);
    case PortKind::Replay: return RunReplay(ctx);
  }
  return 1;
}

}  // namespace brindle::printer
