#pragma once
// Descriptor helpers shared by the device transports: the exclusive open,
// bounded waits judged by an IClock, and the bounded read and write loops.
// Every descriptor they are given is non-blocking; they never block longer
// than the deadline they are handed (plus one poll slice).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Clock.h"
#include "port/UniqueFd.h"

namespace brindle::posixio {

// Longest single poll() between two looks at the clock. Deadlines are
// judged by the IClock, so a test clock that runs fast or slow scales
// every time-out without changing the code under test.
inline constexpr int kPollSliceMs = 10;

// Opens `path` for reading and writing, non-blocking, as the only user:
// flock(LOCK_EX | LOCK_NB) refuses a second opener (root included) and a
// terminal is also marked TIOCEXCL. Returns an invalid descriptor and sets
// *err (EBUSY for a device in use) on failure.
UniqueFd OpenExclusive(const std::string& path, int* err);

// Undoes the terminal exclusivity of OpenExclusive before the descriptor is
// closed: a pseudo-terminal keeps the flag while its other side stays open
// and would refuse the next job's open.
void ReleaseExclusive(int fd);

enum class WaitResult { Ready, TimedOut, Failed };

// Waits until `fd` reports one of `events` or clock.NowMs() reaches
// `deadlineMs`. On Failed, *err holds the errno of poll().
WaitResult WaitFor(int fd, short events, std::int64_t deadlineMs, IClock& clock, int* err);

// Writes all `length` bytes, waiting while the device accepts nothing,
// until `deadlineMs`. Returns the bytes written; fewer than `length` means
// failure with *err set (ETIMEDOUT when the deadline passed). `holdOff`,
// when given, is asked before each write whether the device wants the
// sender to wait (a low DSR line) and is waited out in 10 ms steps.
std::size_t WriteUntil(int fd, const std::uint8_t* data, std::size_t length,
                       std::int64_t deadlineMs, IClock& clock, int* err,
                       bool (*holdOff)(int fd) = nullptr);

// Read bounds of a port: the read ends `intervalMs` after the last byte
// that arrived, or `totalMs` after it started, or when `size` bytes are in.
struct ReadBounds {
  int intervalMs;
  int totalMs;
};

// Reads at most `size` bytes within `bounds`. With `dropZeroBytes`,
// received 0x00 bytes are discarded as if the line had never carried them.
// Returns the bytes stored; a read error ends the read early with *err set
// (the bytes already stored are still returned).
std::size_t ReadBounded(int fd, std::uint8_t* buffer, std::size_t size, ReadBounds bounds,
                        bool dropZeroBytes, IClock& clock, int* err);

// Bytes written to `fd` that its device (or, for a socket, the peer) has
// not taken yet: TIOCOUTQ, which sockets answer as SIOCOUTQ; -1 when the
// device cannot tell.
long QueuedOutput(int fd);

// Waits until the device has taken everything written to it: `queued`
// gives the bytes still waiting in the output queue (-1 when the device
// cannot tell). Returns true once the count is 0, or at once when the
// device cannot tell; false with *err = ETIMEDOUT when the count has not
// fallen for `stallLimitMs` (a printer that stopped taking data). It looks
// again every kPollSliceMs.
bool WaitUntilDrained(const std::function<long()>& queued, int stallLimitMs, IClock& clock,
                      int* err);

}  // namespace brindle::posixio
