#pragma once
// One ordered log of everything a transport user does: each write with its
// form and bytes, each read (the size asked), each wait, each close, and
// each open the device tests' port provider is asked for. Tests compare the
// whole log with one written out by hand.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "port/Port.h"

namespace brindle::test {

using Bytes = std::vector<std::uint8_t>;

struct Event {
  enum Kind { Write, WriteTimed, WriteChunked, Read, Wait, Close, Call } kind;
  Bytes bytes;       // written bytes
  int value = 0;     // wait in ms, size asked of a read
  std::string text;  // provider call
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
inline Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// One single-byte Write per byte of `raster`.
inline void AddByteWrites(Log& log, const Bytes& raster) {
  for (std::uint8_t b : raster) log.push_back(W({b}));
}

inline std::string Describe(const Event& e) {
  static const char* const names[] = {"Write", "WriteTimed", "WriteChunked", "Read",
                                      "Wait",  "Close",      "Call"};
  std::string s = std::string(names[e.kind]) + "(" +
                  (e.kind == Event::Call ? e.text : std::to_string(e.value));
  char hex[4];
  for (std::size_t i = 0; i < e.bytes.size() && i < 24; ++i) {
    std::snprintf(hex, sizeof hex, " %02X", e.bytes[i]);
    s += hex;
  }
  if (e.bytes.size() > 24) s += " ... " + std::to_string(e.bytes.size()) + " bytes";
  return s + ")";
}
inline void PrintTo(const Event& e, std::ostream* os) { *os << Describe(e); }

// Equal logs, or the first place where they part.
inline ::testing::AssertionResult SameLog(const Log& got, const Log& want) {
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  if (i == got.size() && i == want.size()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "event " << i << ": got " << (i < got.size() ? Describe(got[i]) : "nothing")
         << ", expected " << (i < want.size() ? Describe(want[i]) : "nothing") << " ("
         << got.size() << " events, expected " << want.size() << ")";
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
// chosen indices among all writes; reads answer from `replies` (none:
// `silentResult`); `beforeWrite` runs before each write with its index.
class LogPort final : public IPort {
 public:
  explicit LogPort(Log& log) : log_(log) {}

  int Write(const std::uint8_t* d, std::size_t n) override { return Record(Event::Write, d, n); }
  int WriteTimed(const std::uint8_t* d, std::size_t n) override {
    return Record(Event::WriteTimed, d, n);
  }
  int WriteChunked(const std::uint8_t* d, std::size_t n) override {
    return Record(Event::WriteChunked, d, n);
  }
  int Read(std::uint8_t* buffer, std::size_t size) override {
    log_.push_back(Rd(static_cast<int>(size)));
    if (replies.empty()) return silentResult;
    Bytes reply = replies.front();
    replies.pop_front();
    reply.resize(std::min(reply.size(), size));
    std::copy(reply.begin(), reply.end(), buffer);
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
  std::deque<Bytes> replies;
  int silentResult = 0;
  int finishResult = 1;
  bool open = true;
  PortError error;
  std::function<void(std::size_t)> beforeWrite;

 private:
  int Record(Event::Kind kind, const std::uint8_t* data, std::size_t length) {
    const std::size_t index = writes_++;
    if (beforeWrite) beforeWrite(index);
    log_.push_back({kind, Bytes(data, data + length), 0, {}});
    if (failingWrites.count(index) == 0) return 1;
    error.code = EIO;
    return 0;
  }
  Log& log_;
  std::size_t writes_ = 0;
};

}  // namespace brindle::test
