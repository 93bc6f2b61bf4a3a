#pragma once
// One ordered log of what a transport user does (each write with its form
// and bytes, each read with the size asked, each wait, close and open),
// compared whole with a log written out by hand.
#include <gtest/gtest.h>

#include <cerrno>
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
  std::string text;  // open asked of a port provider
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

// Kind (W T C R D X P), value or call, size and the first bytes in hex.
inline void PrintTo(const Event& e, std::ostream* os) {
  *os << "WTCRDXP"[e.kind] << "(" << (e.kind == Event::Call ? e.text : std::to_string(e.value))
      << ", " << e.bytes.size() << " bytes" << std::hex;
  for (std::size_t i = 0; i < e.bytes.size() && i < 24; ++i) *os << " " << int(e.bytes[i]);
  *os << std::dec << ")";
}

// Equal logs, or the first place where they part.
inline ::testing::AssertionResult SameLog(const Log& got, const Log& want) {
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  if (i == got.size() && i == want.size()) return ::testing::AssertionSuccess();
  auto at = [i](const Log& log) { return i < log.size() ? testing::PrintToString(log[i]) : "-"; };
  return ::testing::AssertionFailure() << "event " << i << ": got " << at(got) << ", expected "
                                       << at(want) << " of " << want.size();
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

// A transport that logs every call. Writes fail (0, EIO) at the chosen
// indices among all writes, `beforeWrite` seeing each index first; reads
// answer from `replies`, then `silentResult`.
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
    const Bytes reply = replies.front();
    replies.pop_front();
    const std::size_t n = std::min(reply.size(), size);
    std::copy_n(reply.begin(), n, buffer);
    return static_cast<int>(n);
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
  int silentResult = 0, finishResult = 1;
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
