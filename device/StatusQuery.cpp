#include "device/StatusQuery.h"

namespace brindle {
namespace {

constexpr int kRetryMs = 10;

// One request and its answer: empty when none came in time. Transports
// read differently (a printer port returns at once when nothing waits, a
// TCP link waits itself), so the bound is kept here on the clock.
std::optional<std::vector<std::uint8_t>> Ask(IPort& port, IClock& clock,
                                             const std::uint8_t (&request)[3], bool& written) {
  written = port.Write(request, sizeof request) == 1;
  if (!written) return std::nullopt;
  const std::int64_t deadline = clock.NowMs() + kStatusReplyLimitMs;
  std::uint8_t reply[64];
  while (clock.NowMs() < deadline) {
    const int n = port.Read(reply, sizeof reply);
    if (n > 0) return std::vector<std::uint8_t>(reply, reply + n);
    if (n == 0) clock.Sleep(kRetryMs);
  }
  return std::nullopt;
}

}  // namespace

int QueryPrinterStatus(IPort& port, IClock& clock, PrinterStatus& out) {
  out = PrinterStatus{};
  bool written = true;
  for (std::uint8_t n = 1; n <= 4 && written; ++n) {
    const std::uint8_t request[3] = {0x10, 0x04, n};
    if (auto reply = Ask(port, clock, request, written)) out.status[n - 1] = reply->front();
    // A printer that does not answer the first request answers nothing:
    // the others are not asked, so that a silent printer costs one bound.
    if (!out.Answered()) return written ? 1 : 0;
  }
  for (std::uint8_t n = 1; n <= 3 && written; ++n) {
    const std::uint8_t request[3] = {0x1D, 0x49, n};
    out.identity[n - 1] = Ask(port, clock, request, written);
  }
  return written ? 1 : 0;
}

}  // namespace brindle
