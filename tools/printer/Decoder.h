#pragma once
// The printer side of the command set: turns the bytes of one connection
// into commands. It is fed in pieces of any size (a network read, a single
// byte) and hands each command out as soon as its last byte has arrived,
// so that a device check is answered while the sender waits for it.
//
// Every byte is accounted for exactly once: the lengths of the commands it
// emits add up to the bytes fed. Bytes that start no known command are
// gathered into Unknown commands and skipped one at a time, so a stray
// byte never swallows the command after it. Finish() reports a command
// that the end of the connection cut off as incomplete. Long runs of image
// data and of unknown bytes are taken in one step, so the time per byte
// stays small whatever the stream holds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/printer/Command.h"

namespace brindle::printer {

// The NV memory of the printer by default: the most image data one FS q
// set may hold. A larger set is consumed and rejected instead of stored.
inline constexpr std::uint64_t kDefaultNvBytes = 1u << 20;

class Decoder {
 public:
  explicit Decoder(std::uint64_t maxNvSetBytes = kDefaultNvBytes) : maxNvSetBytes_(maxNvSetBytes) {}

  // Decodes `size` bytes and appends the commands they complete to `out`.
  void Feed(const std::uint8_t* bytes, std::size_t size, std::vector<Command>& out);
  // The same, but stops after the first byte that completes a command (so
  // that a printer can carry it out before reading on); returns how many
  // bytes it took: all of them when none completed a command.
  std::size_t FeedUntilCommand(const std::uint8_t* bytes, std::size_t size,
                               std::vector<Command>& out);
  // Ends the connection: appends the pending unknown bytes and the command
  // cut off by the end, if any, then starts afresh at offset 0.
  void Finish(std::vector<Command>& out);

  // What a run of header bytes is: a command (with its header length and
  // the data bytes that follow), the start of one, or no command at all.
  enum class Verdict { NeedMore, Invalid, Complete };
  struct Classified {
    Verdict verdict = Verdict::Invalid;
    Op op = Op::Unknown;
    std::size_t headerLength = 0;
    std::size_t dataLength = 0;
  };

 private:
  enum class State { Header, Data, NvBlockHeader, NvBlockData };

  void Step(std::uint8_t byte, std::uint64_t offset, std::vector<Command>& out);
  void ProcessPending(std::vector<Command>& out);
  static Classified Classify(const std::vector<std::uint8_t>& p);
  static const char* Mnemonic(Op op, const std::vector<std::uint8_t>& header);
  void StartCommand(const Classified& c, std::vector<Command>& out);
  void Emit(std::vector<Command>& out);
  void AddUnknown(std::uint8_t byte, std::uint64_t offset);
  void FlushUnknown(std::vector<Command>& out);
  void StepData(std::uint8_t byte, std::vector<Command>& out);
  void StepNvHeader(std::uint8_t byte, std::vector<Command>& out);
  std::size_t StepNvData(const std::uint8_t* bytes, std::size_t size, std::vector<Command>& out);
  void SkipUnknown(const std::uint8_t* bytes, std::size_t size);
  void FinishNvImage(std::vector<Command>& out);

  std::uint64_t maxNvSetBytes_;
  State state_ = State::Header;
  std::uint64_t offset_ = 0;             // of the next byte fed
  std::vector<std::uint8_t> pending_;    // header bytes not yet classified
  std::uint64_t pendingOffset_ = 0;
  Command current_;                      // the command being received
  std::uint64_t dataLeft_ = 0;
  Command unknown_;                      // the run of unknown bytes
  // FS q progress.
  int nvLeft_ = 0;
  std::vector<std::uint8_t> blockHeader_;
  NvImage image_;
  std::uint64_t imageBytes_ = 0;          // declared size of image_
  std::uint64_t imageReceived_ = 0;
  std::uint64_t setBytes_ = 0;            // declared size of the set so far
};

}  // namespace brindle::printer
