#include "status/pause.h"

#include <gtest/gtest.h>

#include <vector>

namespace scrpack {
namespace {

// A clock that only moves when the pause sleeps, and a key test that
// records when it was asked and reports a key from a given time on.
struct FakeTime {
  int32_t now = 0;
  int32_t keyAt = -1;  // -1: no key at all
  std::vector<int32_t> tests;
  std::vector<int32_t> sleeps;

  void run(int32_t duration) {
    pauseFor(
        duration,
        [this](int32_t ms) {
          sleeps.push_back(ms);
          now += ms;
        },
        [this] {
          tests.push_back(now);
          return keyAt >= 0 && now >= keyAt;
        });
  }
};

TEST(Pause, FifteenHundredMillisecondsWithoutAKey) {
  FakeTime time;
  time.run(1500);
  EXPECT_EQ(time.now, 1500);
  ASSERT_EQ(time.tests.size(), 29u);
  for (size_t i = 0; i < time.tests.size(); ++i) {
    EXPECT_EQ(time.tests[i], static_cast<int32_t>(50 * i));
  }
  ASSERT_EQ(time.sleeps.size(), 30u);
  EXPECT_EQ(time.sleeps.back(), 50) << "the last 50 ms pass without a test";
}

TEST(Pause, KeyEndsThePauseAtTheNextTest) {
  struct Case {
    int32_t keyAt;
    int32_t endsAt;
  };
  const Case cases[] = {
      {0, 0},        // entered before the pause: its first test
      {701, 750},    // just after a test: the next one
      {1400, 1400},  // the last test
      {1450, 1500},  // after the last test: the pause runs out
  };
  for (const Case& c : cases) {
    FakeTime time;
    time.keyAt = c.keyAt;
    time.run(1500);
    EXPECT_EQ(time.now, c.endsAt) << "key at " << c.keyAt;
  }
}

TEST(Pause, ShortAndOddDurations) {
  struct Case {
    int32_t duration;
    size_t tests;
    std::vector<int32_t> sleeps;
  };
  const Case cases[] = {
      {0, 0, {}},
      {-5, 0, {}},
      {1, 0, {1}},
      {99, 0, {99}},
      {100, 1, {50, 50}},
      {101, 2, {50, 50, 1}},
      {149, 2, {50, 50, 49}},
      {150, 2, {50, 50, 50}},
  };
  for (const Case& c : cases) {
    FakeTime time;
    time.run(c.duration);
    EXPECT_EQ(time.tests.size(), c.tests) << c.duration;
    EXPECT_EQ(time.sleeps, c.sleeps) << c.duration;
  }
}

TEST(Pause, MinusOneWaitsForAKey) {
  FakeTime time;
  time.keyAt = 5000;
  time.run(kPauseUntilKey);
  EXPECT_EQ(time.now, 5000);
  EXPECT_EQ(time.tests.size(), 101u);
}

}  // namespace
}  // namespace scrpack
