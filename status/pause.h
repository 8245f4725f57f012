// The timed pause at the end of a run, in steps of 50 ms with a key test
// before each step. Clock and key test are passed in so the rhythm can be
// checked without waiting.
#ifndef SCRPACK_STATUS_PAUSE_H_
#define SCRPACK_STATUS_PAUSE_H_

#include <cstdint>
#include <functional>

namespace scrpack {

constexpr int32_t kPauseStepMs = 50;
// A duration of kPauseUntilKey waits for a key however long it takes.
constexpr int32_t kPauseUntilKey = -1;

using SleepFunction = std::function<void(int32_t milliseconds)>;
using KeyTestFunction = std::function<bool()>;

// Durations of 100 ms or more test for a key every 50 ms and return at the
// first test that finds one; the last 1 to 50 ms are slept without a test.
// Shorter durations are one sleep without a test.
void pauseFor(int32_t milliseconds, const SleepFunction& sleep,
              const KeyTestFunction& keyTest);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_PAUSE_H_
