#pragma once
// The state of the virtual printer and what each decoded command does to
// it: the NV image set (FS q, FS e), the "Dot" logo (ESC o 0 and its
// bands), the paper (FS p, ESC o 1, CR, LF), the cutter (GS V, ESC m) and
// its answers (GS I, DLE EOT). It never touches files or ports: each
// command's visible effects come back in an Outcome for the caller to
// write out.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/printer/Command.h"
#include "tools/printer/Decoder.h"
#include "tools/printer/Paper.h"
#include "tools/printer/Raster.h"
#include "tools/printer/Status.h"

namespace brindle::printer {

// Dots one line feed advances the paper (1/6 inch at 180 dots per inch).
inline constexpr int kLineFeedDots = 30;

// Printing takes time: the head prints kRowsPerSecond dot rows a second
// (about 140 mm/s at 180 dots per inch, a middling thermal receipt
// printer), each at most kHeadDots wide; a wider picture takes one pass
// per head width. Feeding paper moves at the same speed.
inline constexpr std::uint64_t kRowsPerSecond = 1000;
inline constexpr std::uint64_t kHeadDots = 512;
inline std::int64_t PrintMs(std::uint64_t rows) {
  return static_cast<std::int64_t>(rows * 1000 / kRowsPerSecond);
}

// What the printer answers and how much it holds; the defaults are those
// of brindle-printer without options.
struct PrinterSetup {
  // The answers to GS I 1, 2 and 3: model, type and ROM version (20 is
  // what Brindle's device check expects; type 02 says an autocutter is
  // fitted). An empty answer is no answer.
  std::vector<std::uint8_t> model{0x20}, type{0x02}, version{0x10};
  StatusBytes status = kOnline;
  bool answersStatus = true;                // false: DLE EOT goes unanswered
  std::uint64_t nvBytes = kDefaultNvBytes;  // for the FS q set, and for the Dot logo
};

struct Outcome {
  std::string note;                 // for the log; empty when there is nothing to add
  std::vector<std::uint8_t> reply;  // bytes to send back to the host
  bool nvChanged = false;
  bool logoChanged = false;
  std::optional<Raster> page;       // a cut page that has print on it
  std::uint64_t rows = 0;           // dot rows printed or fed: the time it takes
};

class Printer {
 public:
  explicit Printer(PrinterSetup setup = {}) : setup_(std::move(setup)) {}

  Outcome Apply(const Command& command);
  // The answer to DLE EOT n (1 to 4), due as soon as the request arrives;
  // empty when the printer does not answer.
  std::vector<std::uint8_t> RealTimeStatus(int n) const;
  // Off-line, the printer carries out nothing but real-time requests.
  bool Online() const { return !IsOffline(setup_.status); }
  // The host went away: a "Dot" logo definition ends with it.
  void EndConnection() { defining_ = false; afterCr_ = false; }

  const PrinterSetup& setup() const { return setup_; }
  const std::vector<NvImage>& Nv() const { return nv_; }
  const DotLogo& Logo() const { return logo_; }
  void SetNv(std::vector<NvImage> images) { nv_ = std::move(images); }
  void SetLogo(DotLogo logo) { logo_ = std::move(logo); }
  const Paper& paper() const { return paper_; }

 private:
  Outcome DefineNv(const Command& c);
  Outcome PrintNv(int number, int mode);
  Outcome RequestId(int kind) const;
  Outcome DotMode(int n);
  Outcome DotBand(const Command& c);
  Outcome Cut();
  Outcome Feed();

  PrinterSetup setup_;
  std::vector<NvImage> nv_;
  DotLogo logo_;
  Paper paper_;
  bool defining_ = false;  // ESC o 0 seen: bands go into the logo
  bool afterCr_ = false;   // the last command was CR: an LF adds no second line
};

}  // namespace brindle::printer
