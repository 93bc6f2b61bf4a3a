#pragma once
// A clock for tests: Sleep records the wait and advances time at once, so
// paced code runs instantly and the test can assert every wait.
#include <cstdint>
#include <vector>

#include "core/Clock.h"

namespace brindle::test {

class FakeClock final : public IClock {
 public:
  void Sleep(int ms) override {
    waits.push_back(ms);
    now += ms;
  }
  std::int64_t NowMs() override { return now; }

  std::vector<int> waits;
  std::int64_t now = 0;
};

}  // namespace brindle::test
