#pragma once
// Blending the splash in and out by stepping its opacity over a fixed time.
#include <cstdint>
#include <functional>

#include "core/Clock.h"

namespace brindle {

// Pause between two opacity steps: 25 steps for the 500 ms fade-in, 10 for
// the 200 ms fade-out, fine enough to look smooth.
inline constexpr int SplashFadeStepMs = 20;

// Opacity (0 transparent .. 255 opaque) `elapsedMs` into a fade lasting
// `durationMs`: rising linearly from 0 when fading in, falling from 255 when
// fading out. Before the start it is the start value, from the end on the
// final value; a duration of 0 or less gives the final value at once.
int FadeAlpha(std::int64_t elapsedMs, int durationMs, bool fadingIn);

// Runs one fade on `clock`: every SplashFadeStepMs calls `setAlpha` with the
// opacity for the time that has passed, until the duration has passed; the
// last call always carries the final value (255 in, 0 out). Time spent inside
// `setAlpha` (painting) counts toward the step, so slow painting means fewer
// steps, not a longer fade.
void RunFade(IClock& clock, int durationMs, bool fadingIn,
             const std::function<void(int alpha)>& setAlpha);

}  // namespace brindle
