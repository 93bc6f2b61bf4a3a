#pragma once
// Waits and the millisecond clock. Every fixed pause (100, 50, 20 ms) and
// every time-out goes through this interface so that tests can record the
// waits and advance time without sleeping.
#include <cstdint>

namespace brindle {

class IClock {
 public:
  virtual ~IClock() = default;
  // Blocks the calling thread for `ms` milliseconds (0 returns at once).
  virtual void Sleep(int ms) = 0;
  // Milliseconds from an arbitrary fixed origin; never goes backwards.
  virtual std::int64_t NowMs() = 0;
};

// The real clock: std::this_thread::sleep_for and std::chrono::steady_clock.
class SystemClock final : public IClock {
 public:
  void Sleep(int ms) override;
  std::int64_t NowMs() override;
  static SystemClock& Instance();
};

}  // namespace brindle
