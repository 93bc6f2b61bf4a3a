#pragma once
// Time as the printer spends it: printing takes time, and tests replace the
// clock so that they neither sleep nor depend on the machine's speed.
#include <cstdint>

namespace brindle::printer {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from a fixed origin; never goes backwards.
  virtual std::int64_t NowMs() = 0;
  // Waits `ms` milliseconds (none when 0 or less); false when the wait
  // was cut short because the program is asked to stop.
  virtual bool Sleep(std::int64_t ms) = 0;
};

// std::chrono::steady_clock and std::this_thread::sleep_for.
class SteadyClock final : public Clock {
 public:
  std::int64_t NowMs() override;
  bool Sleep(std::int64_t ms) override;
};

}  // namespace brindle::printer
