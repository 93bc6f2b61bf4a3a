#include "port/PosixIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brindle::posixio {

UniqueFd OpenExclusive(const std::string& path, int* err) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    *err = errno;
    return {};
  }
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    *err = errno == EWOULDBLOCK ? EBUSY : errno;
    return {};
  }
  if (::isatty(fd.Get())) ::ioctl(fd.Get(), TIOCEXCL);
  return fd;
}

void ReleaseExclusive(int fd) {
  if (fd >= 0 && ::isatty(fd)) ::ioctl(fd, TIOCNXCL);
}

WaitResult WaitFor(int fd, short events, std::int64_t deadlineMs, IClock& clock, int* err) {
  for (;;) {
    std::int64_t left = deadlineMs - clock.NowMs();
    if (left <= 0) return WaitResult::TimedOut;
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left, kPollSliceMs)));
    if (r > 0) {
      // Hang-ups and errors count as ready: the next read or write reports them.
      return WaitResult::Ready;
    }
    if (r < 0 && errno != EINTR) {
      *err = errno;
      return WaitResult::Failed;
    }
  }
}

std::size_t WriteUntil(int fd, const std::uint8_t* data, std::size_t length,
                       std::int64_t deadlineMs, IClock& clock, int* err,
                       bool (*holdOff)(int fd)) {
  std::size_t done = 0;
  bool readyButRefused = false;
  while (done < length) {
    if (holdOff != nullptr && holdOff(fd)) {
      if (clock.NowMs() >= deadlineMs) {
        *err = ETIMEDOUT;
        return done;
      }
      clock.Sleep(10);
      continue;
    }
    ssize_t n = ::write(fd, data + done, length - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      readyButRefused = false;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      *err = errno;
      return done;
    }
    // Some printer drivers report "ready" from poll() while still refusing
    // data; sleep instead of spinning on them.
    if (readyButRefused) clock.Sleep(kPollSliceMs);
    WaitResult w = WaitFor(fd, POLLOUT, deadlineMs, clock, err);
    if (w == WaitResult::TimedOut) *err = ETIMEDOUT;
    if (w != WaitResult::Ready) return done;
    readyButRefused = true;
  }
  return done;
}

namespace {

// Removes the 0x00 bytes of [begin, begin + n) in place and clears the
// places they leave at the end; returns the count kept.
std::size_t DropZeros(std::uint8_t* begin, std::size_t n) {
  std::uint8_t* kept = std::remove(begin, begin + n, std::uint8_t{0});
  std::fill(kept, begin + n, std::uint8_t{0});
  return static_cast<std::size_t>(kept - begin);
}

}  // namespace

std::size_t ReadBounded(int fd, std::uint8_t* buffer, std::size_t size, ReadBounds bounds,
                        bool dropZeroBytes, IClock& clock, int* err) {
  std::size_t count = 0;
  const std::int64_t start = clock.NowMs();
  std::int64_t lastByte = start;
  while (count < size) {
    // Until the first byte only the total bound applies; after it, the
    // read also ends on `intervalMs` of silence.
    std::int64_t deadline = start + bounds.totalMs;
    if (count > 0) deadline = std::min(deadline, lastByte + bounds.intervalMs);
    WaitResult w = WaitFor(fd, POLLIN, deadline, clock, err);
    if (w != WaitResult::Ready) break;
    ssize_t n = ::read(fd, buffer + count, size - count);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      if (errno == EAGAIN) clock.Sleep(1);
      continue;
    }
    if (n < 0) {
      *err = errno;
      break;
    }
    if (n == 0) break;  // end of file: the other side has gone
    std::size_t got = static_cast<std::size_t>(n);
    if (dropZeroBytes) got = DropZeros(buffer + count, got);
    if (got > 0) {
      count += got;
      lastByte = clock.NowMs();
    }
  }
  return count;
}

long QueuedOutput(int fd) {
  int n = 0;
  return ::ioctl(fd, TIOCOUTQ, &n) == 0 ? static_cast<long>(n) : -1L;
}

bool WaitUntilDrained(const std::function<long()>& queued, int stallLimitMs, IClock& clock,
                      int* err) {
  long last = queued();
  std::int64_t lastProgress = clock.NowMs();
  while (last > 0) {
    clock.Sleep(kPollSliceMs);
    const long now = queued();
    if (now < last) lastProgress = clock.NowMs();
    last = now;
    if (last > 0 && clock.NowMs() - lastProgress >= stallLimitMs) {
      *err = ETIMEDOUT;
      return false;
    }
  }
  return true;
}

}  // namespace brindle::posixio
