#pragma once
// Asking a printer how it is: the real-time status requests DLE EOT n
// (10 04 n; n = 1 printer, 2 off-line cause, 3 error cause, 4 paper roll
// sensor), each answered with one status byte, and the identity requests
// GS I n (1D 49 n; n = 1 model, 2 type, 3 firmware version).
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Clock.h"
#include "port/Port.h"

namespace brindle {

// How long each answer is awaited.
inline constexpr int kStatusReplyLimitMs = 1000;

struct PrinterStatus {
  std::array<std::optional<std::uint8_t>, 4> status;                 // DLE EOT 1 ... 4
  std::array<std::optional<std::vector<std::uint8_t>>, 3> identity;  // GS I 1 ... 3
  // The printer answered the first request.
  bool Answered() const { return status[0].has_value(); }
};

// Sends the seven requests in that order, each as one write, and awaits
// each answer within kStatusReplyLimitMs: the first read that brings bytes
// is the answer (the first byte of it for a status request). A request
// without an answer in time stays empty; when the first one has none, the
// others are not sent. Returns 0 when a write failed (the requests after
// it are not sent), else 1.
int QueryPrinterStatus(IPort& port, IClock& clock, PrinterStatus& out);

}  // namespace brindle
