#include "tools/printer/Clock.h"

#include <chrono>
#include <thread>

namespace brindle::printer {

std::int64_t SteadyClock::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool SteadyClock::Sleep(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return true;
}

}  // namespace brindle::printer
