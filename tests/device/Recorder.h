#pragma once
// One ordered log of everything a job does: each write with its form and
// bytes, each read, each wait, each close, each open asked of the port
// provider. Streams and jobs are checked by comparing the whole log with a
// log written out by hand.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "port/Clock.h"
#include "port/Port.h"

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

struct Event {
  enum Kind { Write, WriteTimed, WriteChunked, Read, Wait, Close, Call };
  Kind kind;
  Bytes bytes;      // written bytes
  int value = 0;    // wait in ms, size asked of a read
  std::string text; // provider call
  bool operator==(const Event&) const = default;
};
using Log = std::vector<Event>;

inline Event W(Bytes b) { return {Event::Write, std::move(b), 0, {}}; }
inline Event WT(Bytes b) { return {Event::WriteTimed, std::move(b), 0, {}}; }
inline Event WC(Bytes b) { return {Event::WriteChunked, std::move(b), 0, {}}; }
inline Event Rd(int size) { return {Event::Read, {}, size, {}}; }
inline Event Wait(int ms) { return {Event::Wait, {}, ms, {}}; }
inline Event Closed() { return {Event::Close, {}, 0, {}}; }
inline Event Call(std::string text) { return {Event::Call, {}, 0, std::move(text)}; }

inline std::string Hex(const Bytes& b, std::size_t limit = 24) {
  std::ostringstream out;
  char buf[4];
  for (std::size_t i = 0; i < b.size() && i < limit; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", b[i]);
    out << (i ? " " : "") << buf;
  }
  if (b.size() > limit) out << " ... (" << b.size() << " bytes)";
  return out.str();
}

inline std::string Describe(const Event& e) {
  switch (e.kind) {
    case Event::Write: return "Write[" + Hex(e.bytes) + "]";
    case Event::WriteTimed: return "WriteTimed[" + Hex(e.bytes) + "]";
    case Event::WriteChunked: return "WriteChunked[" + Hex(e.bytes) + "]";
    case Event::Read: return "Read(" + std::to_string(e.value) + ")";
    case Event::Wait: return "Wait(" + std::to_string(e.value) + ")";
    case Event::Close: return "Close";
    case Event::Call: return "Call(" + e.text + ")";
  }
  return "?";
}

inline void PrintTo(const Event& e, std::ostream* os) { *os << Describe(e); }

// Equal logs, or the first place where they part.
inline ::testing::AssertionResult SameLog(const Log& actual, const Log& expected) {
  for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
    if (!(actual[i] == expected[i])) {
      return ::testing::AssertionFailure()
             << "event " << i << ": got " << Describe(actual[i]) << ", expected "
             << Describe(expected[i]);
    }
  }
  if (actual.size() != expected.size()) {
    auto f = ::testing::AssertionFailure();
    f << "got " << actual.size() << " events, expected " << expected.size();
    if (actual.size() > expected.size()) f << "; first extra: " << Describe(actual[expected.size()]);
    else f << "; first missing: " << Describe(expected[actual.size()]);
    return f;
  }
  return ::testing::AssertionSuccess();
}

// Appends one single-byte Write per byte of `raster`.
inline void AddByteWrites(Log& log, const Bytes& raster) {
  for (std::uint8_t b : raster) log.push_back(W({b}));
}

class LogClock final : public IClock {
 public:
  explicit LogClock(Log& log) : log_(log) {}
  void Sleep(int ms) override {
    log_.push_back(Wait(ms));
    now_ += ms;
  }
  std::int64_t NowMs() override { return now_; }

 private:
  Log& log_;
  std::int64_t now_ = 0;
};

// A transport that logs every call. Writes fail (0, error EIO) at the
// chosen indices among all writes; reads answer from `replies` (none: 0
// bytes); `beforeWrite` runs before each write with its index.
class LogPort final : public IPort {
 public:
  explicit LogPort(Log& log) : log_(log) {}

  int Write(const std::uint8_t* data, std::size_t length) override {
    return Record(Event::Write, data, length);
  }
  int WriteTimed(const std::uint8_t* data, std::size_t length) override {
    return Record(Event::WriteTimed, data, length);
  }
  int WriteChunked(const std::uint8_t* data, std::size_t length) override {
    return Record(Event::WriteChunked, data, length);
  }
  int Read(std::uint8_t* buffer, std::size_t size) override {
    log_.push_back(Rd(static_cast<int>(size)));
    if (replies.empty()) return silentResult;
    Bytes reply = replies.front();
    replies.pop_front();
    if (reply.size() > size) reply.resize(size);
    for (std::size_t i = 0; i < reply.size(); ++i) buffer[i] = reply[i];
    return static_cast<int>(reply.size());
  }
  void Close() override {
    if (open) log_.push_back(Closed());
    open = false;
  }
  bool IsOpen() const override { return open; }
  PortError LastError() const override { return error; }
  int Finish() override {
    if (!finishResult) error.code = ECONNRESET;
    return finishResult;
  }

  std::set<std::size_t> failingWrites;
  int finishResult = 1;
  std::deque<Bytes> replies;
  int silentResult = 0;
  bool open = true;
  PortError error;
  std::function<void(std::size_t)> beforeWrite;

 private:
  int Record(Event::Kind kind, const std::uint8_t* data, std::size_t length) {
    const std::size_t index = writes_++;
    if (beforeWrite) beforeWrite(index);
    log_.push_back({kind, Bytes(data, data + length), 0, {}});
    if (failingWrites.count(index) != 0) {
      error.code = EIO;
      return 0;
    }
    return 1;
  }
  Log& log_;
  std::size_t writes_ = 0;
};

}  // namespace brindle::test
