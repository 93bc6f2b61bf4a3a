#pragma once
// The state of the virtual printer and what each decoded command does to
// it: the NV image set (FS q, FS e), the "Dot" logo (ESC o 0 and its
// bands), the paper (FS p, ESC o 1, CR, LF) and the cutter (GS V, ESC m).
// It never touches files or ports: each command's visible effects come
// back in an Outcome for the caller to write out.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/printer/Command.h"
#include "tools/printer/Paper.h"
#include "tools/printer/Raster.h"

namespace brindle::printer {

// Dots one line feed advances the paper (1/6 inch at 180 dots per inch).
inline constexpr int kLineFeedDots = 30;

struct Outcome {
  std::string note;                 // for the log; empty when there is nothing to add
  std::vector<std::uint8_t> reply;  // bytes to send back to the host
  bool nvChanged = false;
  bool logoChanged = false;
  std::optional<Raster> page;       // a cut page that has print on it
};

class Printer {
 public:
  // `reply` answers GS I 1; empty means the printer stays silent.
  explicit Printer(std::vector<std::uint8_t> reply = {0x20}) : reply_(std::move(reply)) {}

  Outcome Apply(const Command& command);
  // The host went away: a "Dot" logo definition ends with it.
  void EndConnection() { defining_ = false; afterCr_ = false; }

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

  std::vector<std::uint8_t> reply_;
  std::vector<NvImage> nv_;
  DotLogo logo_;
  Paper paper_;
  bool defining_ = false;  // ESC o 0 seen: bands go into the logo
  bool afterCr_ = false;   // the last command was CR: an LF adds no second line
};

}  // namespace brindle::printer
