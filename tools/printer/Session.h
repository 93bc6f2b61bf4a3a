#pragma once
// One connection's worth of printing: bytes in, decoded commands applied
// to the printer, every command logged, pictures and NV store kept up to
// date, replies handed back for the caller to send.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/printer/Decoder.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Output.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {

struct SessionStats {
  std::uint64_t bytes = 0;
  std::uint64_t commands = 0;      // known commands, complete or not
  std::uint64_t unknownBytes = 0;
  std::uint64_t incomplete = 0;
  std::uint64_t pages = 0;
  std::uint64_t replies = 0;
};

class Session {
 public:
  // `store` may be null (NV memory lasts as long as the process).
  Session(Printer& printer, Output& output, const NvStore* store)
      : printer_(printer), output_(output), store_(store) {}

  // Decodes the bytes; returns what the printer sends back, in order.
  std::vector<std::uint8_t> Feed(const std::uint8_t* bytes, std::size_t size);
  // The connection ended: logs what was cut off and ends a Dot definition.
  void Finish();
  const SessionStats& stats() const { return stats_; }

 private:
  void Handle(const Command& command, std::vector<std::uint8_t>& reply);
  void WriteLogoIfChanged();

  Printer& printer_;
  Output& output_;
  const NvStore* store_;
  Decoder decoder_;
  SessionStats stats_;
  bool logoChanged_ = false;
};

// "connection 2 (127.0.0.1:41234): 2611 bytes, 4 commands, 0 unknown bytes,
// 0 incomplete, 1 page, 1 reply; NV 1 image, Dot logo 304x24; closed by peer"
std::string Summary(int number, const std::string& peer, const SessionStats& stats,
                    const Printer& printer, const std::string& ending);

}  // namespace brindle::printer
