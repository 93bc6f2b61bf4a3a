#pragma once
// FakeClock records each wait and advances at once, calling `onSleep`.
// ScaledClock runs real time `factor` times faster (at 100 a 5 s bound
// passes in 50 ms) while the code waits on real descriptors.
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "core/Clock.h"

namespace brindle::test {

class FakeClock final : public IClock {
 public:
  void Sleep(int ms) override {
    waits.push_back(ms);
    now += ms;
    if (onSleep) onSleep();
  }
  std::int64_t NowMs() override { return now; }

  std::vector<int> waits;
  std::int64_t now = 0;
  std::function<void()> onSleep;
};

class ScaledClock final : public IClock {
 public:
  explicit ScaledClock(double factor) : factor_(factor) {}
  void SetFactor(double factor) {
    NowMs();
    factor_ = factor;
  }
  void Sleep(int ms) override {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms / factor_));
  }
  std::int64_t NowMs() override {
    const double real = Real();
    scaled_ += (real - last_) * factor_;
    last_ = real;
    return static_cast<std::int64_t>(scaled_);
  }

 private:
  static double Real() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
  }
  double factor_;
  double last_ = Real();
  double scaled_ = 1e6;
};

}  // namespace brindle::test
