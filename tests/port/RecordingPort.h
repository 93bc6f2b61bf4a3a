#pragma once
// A transport for tests of device checks and command streams: records
// every call with its kind and bytes, answers reads from a queue of
// replies, and fails any chosen write (by its index among all writes).
#include <cerrno>
#include <cstdint>
#include <deque>
#include <set>
#include <vector>

#include "port/Port.h"

namespace brindle::test {

class RecordingPort final : public IPort {
 public:
  enum class Op { Write, WriteTimed, WriteChunked, Read };
  struct Call {
    Op op;
    std::vector<std::uint8_t> bytes;  // written, or delivered by a read
    std::size_t size = 0;             // the size asked of a read
  };

  int Write(const std::uint8_t* data, std::size_t length) override {
    return RecordWrite(Op::Write, data, length);
  }
  int WriteTimed(const std::uint8_t* data, std::size_t length) override {
    return RecordWrite(Op::WriteTimed, data, length);
  }
  int WriteChunked(const std::uint8_t* data, std::size_t length) override {
    return RecordWrite(Op::WriteChunked, data, length);
  }
  int Read(std::uint8_t* buffer, std::size_t size) override {
    Call call{Op::Read, {}, size};
    int result = 0;
    if (!replies.empty()) {
      std::vector<std::uint8_t> reply = replies.front();
      replies.pop_front();
      if (reply.size() > size) reply.resize(size);
      for (std::size_t i = 0; i < reply.size(); ++i) buffer[i] = reply[i];
      call.bytes = reply;
      result = static_cast<int>(reply.size());
    } else {
      result = silentReadResult;
    }
    calls.push_back(call);
    return result;
  }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  PortError LastError() const override { return error; }

  // Every byte written, in order, whatever the write form.
  std::vector<std::uint8_t> Written() const {
    std::vector<std::uint8_t> all;
    for (const Call& c : calls) {
      if (c.op != Op::Read) all.insert(all.end(), c.bytes.begin(), c.bytes.end());
    }
    return all;
  }

  std::vector<Call> calls;
  std::deque<std::vector<std::uint8_t>> replies;  // one per Read
  std::set<std::size_t> failingWrites;            // indices among writes, from 0
  int silentReadResult = 0;                        // a Read with no reply queued
  bool open = true;
  PortError error;

 private:
  int RecordWrite(Op op, const std::uint8_t* data, std::size_t length) {
    std::size_t index = writes_++;
    calls.push_back({op, std::vector<std::uint8_t>(data, data + length), 0});
    if (failingWrites.count(index) != 0) {
      error.code = EIO;
      return 0;
    }
    return 1;
  }
  std::size_t writes_ = 0;
};

}  // namespace brindle::test
