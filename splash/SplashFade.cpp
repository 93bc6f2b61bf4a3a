#include "splash/SplashFade.h"

#include <algorithm>

namespace brindle {

int FadeAlpha(std::int64_t elapsedMs, int durationMs, bool fadingIn) {
  const int finalAlpha = fadingIn ? 255 : 0;
  if (durationMs <= 0 || elapsedMs >= durationMs) {
    return finalAlpha;
  }
  const std::int64_t t = std::max<std::int64_t>(elapsedMs, 0);
  const int risen = static_cast<int>(t * 255 / durationMs);
  return fadingIn ? risen : 255 - risen;
}

void RunFade(IClock& clock, int durationMs, bool fadingIn,
             const std::function<void(int alpha)>& setAlpha) {
  const std::int64_t start = clock.NowMs();
  for (;;) {
    const std::int64_t elapsed = clock.NowMs() - start;
    setAlpha(FadeAlpha(elapsed, durationMs, fadingIn));
    if (elapsed >= durationMs) {
      return;
    }
    // The next step is due one step after this one began, so the time spent
    // painting comes off the wait; a step slower than that does not wait.
    const std::int64_t due = std::min<std::int64_t>(elapsed + SplashFadeStepMs, durationMs);
    const std::int64_t wait = due - (clock.NowMs() - start);
    if (wait > 0) {
      clock.Sleep(static_cast<int>(wait));
    }
  }
}

}  // namespace brindle
