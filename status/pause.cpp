#include "status/pause.h"

namespace scrpack {

void pauseFor(int32_t milliseconds, const SleepFunction& sleep,
              const KeyTestFunction& keyTest) {
  if (milliseconds == kPauseUntilKey) {
    while (!keyTest()) sleep(kPauseStepMs);
    return;
  }
  if (milliseconds <= 0) return;
  if (milliseconds < 2 * kPauseStepMs) {
    sleep(milliseconds);
    return;
  }
  int32_t left = milliseconds;
  do {
    if (keyTest()) return;
    sleep(kPauseStepMs);
    left -= kPauseStepMs;
  } while (left > kPauseStepMs);
  sleep(left);
}

}  // namespace scrpack
