#pragma once
// One connection's worth of printing, in the two stages of a real printer.
// Receiving: bytes go into the receive buffer, and the real-time status
// requests among them (DLE EOT n) are answered at once, wherever they
// fall, even inside another command's data or while the printer is busy.
// Printing: buffered bytes are decoded and carried out, every command
// logged, pictures and NV store kept up to date, replies handed back for
// the caller to send. An off-line printer leaves them in the buffer.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/printer/Decoder.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Output.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {

// A real printer's receive buffer.
inline constexpr std::size_t kDefaultReceiveBuffer = 4096;

struct SessionStats {
  std::uint64_t bytes = 0;         // received
  std::uint64_t commands = 0;      // known commands, complete or not
  std::uint64_t unknownBytes = 0;
  std::uint64_t incomplete = 0;
  std::uint64_t pages = 0;
  std::uint64_t replies = 0;
  std::uint64_t unprocessed = 0;   // left in an off-line printer's buffer
};

class Session {
 public:
  // `store` may be null (NV memory lasts as long as the process).
  Session(Printer& printer, Output& output, const NvStore* store,
          std::size_t bufferSize = kDefaultReceiveBuffer);

  // Takes at most Room() of the bytes into the receive buffer; returns the
  // answers to the real-time requests among them.
  std::vector<std::uint8_t> Receive(const std::uint8_t* bytes, std::size_t size);
  std::size_t Room() const { return bufferSize_ - buffer_.size(); }
  // Bytes received that the printer has yet to carry out.
  bool Waiting() const { return !buffer_.empty(); }
  bool Online() const { return printer_.Online(); }
  // Carries out what is buffered, unless off-line, up to and including
  // the first command that prints or feeds: the rest waits until that is
  // done (see TakePrintedRows). Returns the replies.
  std::vector<std::uint8_t> Process();
  // The dot rows printed or fed since the last call, which take time.
  std::uint64_t TakePrintedRows() { return std::exchange(rows_, 0); }
  // Receive and Process in turn, a buffer's worth at a time, until all is
  // taken or an off-line printer's buffer is full; returns every answer.
  std::vector<std::uint8_t> Feed(const std::uint8_t* bytes, std::size_t size);
  // The connection ended: carries out what is left (off-line: counts it
  // as unprocessed), logs what was cut off and ends a Dot definition.
  void Finish();
  const SessionStats& stats() const { return stats_; }

 private:
  void Handle(const Command& command, std::vector<std::uint8_t>& reply);
  void WriteLogoIfChanged();

  Printer& printer_;
  Output& output_;
  const NvStore* store_;
  Decoder decoder_;
  std::size_t bufferSize_;
  std::vector<std::uint8_t> buffer_;
  std::uint16_t lastTwo_ = 0;  // the two bytes received before, for DLE EOT
  std::uint64_t rows_ = 0;
  SessionStats stats_;
  bool logoChanged_ = false;
};

// "connection 2 (127.0.0.1:41234): 2611 bytes, 4 commands, 0 unknown bytes,
// 0 incomplete, 1 page, 1 reply; NV 1 image, Dot logo 304x24; closed by peer"
// (", N bytes not processed (off-line)" before "; NV" when there were some).
std::string Summary(int number, const std::string& peer, const SessionStats& stats,
                    const Printer& printer, const std::string& ending);

}  // namespace brindle::printer
