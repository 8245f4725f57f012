#include "status/status_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/eventually.h"
#include "tests/fake_display.h"

namespace scrpack {
namespace {

using test::FakeDisplay;
using test::Script;

using test::eventually;

class StatusWindowTest : public ::testing::Test {
 protected:
  // A window over display methods "A" and "B", in that order.
  StatusWindow& window() {
    if (!window_) {
      std::vector<std::unique_ptr<DisplayMethod>> methods;
      auto a = std::make_unique<FakeDisplay>("A", script_);
      a_ = a.get();
      methods.push_back(std::move(a));
      methods.push_back(std::make_unique<FakeDisplay>("B", script_));
      window_ = std::make_unique<StatusWindow>(std::move(methods),
                                               "/opt/tools/scr.pack.exe");
    }
    return *window_;
  }
  int openWindow() { return window().open(640, 480, 32, 1, 0, 0); }

  // Lets the window thread handle |event| and waits until it has.
  void deliver(std::function<void(DisplayEvents&)> event) {
    script_.send(std::move(event));
    ASSERT_TRUE(eventually([this] { return script_.eventsTaken(); }));
  }

  // Waits for the next present and returns how many rows it found marked.
  int nextPresentMarks() {
    const size_t seen = script_.presents();
    EXPECT_TRUE(eventually([&] { return script_.presents() > seen; }));
    return script_.lastMarked();
  }

  Script script_;
  FakeDisplay* a_ = nullptr;
  std::unique_ptr<StatusWindow> window_;
};

TEST_F(StatusWindowTest, OpensWithThePreferredMethodAndClosesInOrder) {
  ASSERT_EQ(openWindow(), 0);
  EXPECT_TRUE(window().isOpen());
  EXPECT_EQ(a_->title_, "scr.pack");
  EXPECT_EQ(a_->size_, "640x480");
  EXPECT_EQ(window().title(), "scr.pack");
  EXPECT_FALSE(window().fullScreen());
  EXPECT_TRUE(window().active());
  Frame& frame = window().frame();
  const std::vector<uint32_t> picture = frame.picture();
  EXPECT_TRUE(std::all_of(picture.begin(), picture.end(),
                          [](uint32_t p) { return p == kOpaqueBlack; }));
  EXPECT_EQ(nextPresentMarks(), 0) << "no row is marked at open";
  EXPECT_FALSE(script_.screenSaverOn);

  window().close();
  EXPECT_FALSE(window().isOpen());
  EXPECT_TRUE(script_.screenSaverOn);
  const std::vector<std::string> expected = {"A connect",       "A saver off",
                                             "A open windowed", "A close",
                                             "A saver on",      "A disconnect"};
  EXPECT_EQ(script_.log(), expected);
}

TEST_F(StatusWindowTest, EveryMethodWindowedThenEveryOneFullScreen) {
  struct Case {
    std::set<std::string> refused;
    int result;
    std::vector<std::string> opens;
  };
  const Case cases[] = {
      {{}, 0, {"A open windowed"}},
      {{"A open windowed"}, 0, {"A open windowed", "B open windowed"}},
      {{"A connect"}, 0, {"B open windowed"}},
      {{"A open windowed", "B open windowed"},
       0,
       {"A open windowed", "B open windowed", "A open full"}},
      {{"A open windowed", "B open windowed", "A open full"},
       0,
       {"A open windowed", "B open windowed", "A open full", "B open full"}},
      {{"A open windowed", "B open windowed", "A open full", "B open full"},
       1,
       {"A open windowed", "B open windowed", "A open full", "B open full"}},
      {{"A connect", "B connect"}, 1, {}},
      {{"A reachable"}, 0, {"B open windowed"}},
      {{"A reachable", "B reachable"}, 1, {}},
  };
  for (const Case& c : cases) {
    Script script;
    script.refused = c.refused;
    std::vector<std::unique_ptr<DisplayMethod>> methods;
    methods.push_back(std::make_unique<FakeDisplay>("A", script));
    methods.push_back(std::make_unique<FakeDisplay>("B", script));
    StatusWindow window(std::move(methods), "scrpack");
    EXPECT_EQ(window.open(640, 480, 32, 1, 0, 0), c.result);
    EXPECT_EQ(window.isOpen(), c.result == 0);
    const std::vector<std::string> calls = script.log();
    std::vector<std::string> opens;
    for (const std::string& call : calls) {
      if (call.find(" open ") != std::string::npos) opens.push_back(call);
    }
    EXPECT_EQ(opens, c.opens) << "result " << c.result;
    // A failed attempt releases what it made and restores the screen saver
    // before the next one begins.
    for (size_t i = 0; i + 1 < calls.size(); ++i) {
      const std::string method = calls[i].substr(0, 1);
      if (script.refused.count(calls[i]) &&
          calls[i].find(" open ") != std::string::npos) {
        const std::vector<std::string> after(
            calls.begin() + i + 1,
            calls.begin() + std::min(calls.size(), i + 4));
        const std::vector<std::string> cleanup = {
            method + " close", method + " saver on", method + " disconnect"};
        EXPECT_EQ(after, cleanup) << calls[i];
      }
    }
    // A method that cannot be reached is not tried: no thread, no call.
    for (const std::string method : {"A", "B"}) {
      if (!script.refused.count(method + " reachable")) continue;
      for (const std::string& call : calls) {
        EXPECT_NE(call.substr(0, 1), method) << call;
      }
    }
    if (c.result == 1) {
      EXPECT_TRUE(script.screenSaverOn);
    } else {
      EXPECT_EQ(window.fullScreen(),
                c.opens.back().find("full") != std::string::npos);
    }
  }
}

TEST_F(StatusWindowTest, RefusesBadArgumentsWithoutTrying) {
  const int32_t cases[][3] = {{0, 480, 32},  {640, 0, 32},  {-1, 480, 32},
                              {640, 480, 0}, {640, 480, 3}, {640, 480, 64}};
  for (const auto& c : cases) {
    EXPECT_EQ(window().open(c[0], c[1], c[2], 1, 0, 0), 1)
        << c[0] << " " << c[1] << " " << c[2];
  }
  EXPECT_TRUE(script_.log().empty());
  EXPECT_EQ(window().open(8, 8, 16, 1, 0, 0), 0);
}

TEST_F(StatusWindowTest, OpenWaitsUntilTheWindowIsReady) {
  script_.openDelayMs = 300;
  ASSERT_EQ(openWindow(), 0);
  const std::vector<std::string> calls = script_.log();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "A open windowed");
}

TEST_F(StatusWindowTest, KeyBufferKeepsTheNewestFifteenCodes) {
  ASSERT_EQ(openWindow(), 0);
  EXPECT_FALSE(window().keyTest());
  deliver([](DisplayEvents& events) {
    for (uint32_t code = 1; code <= 20; ++code) events.keyEntered(code);
  });
  std::vector<uint32_t> expected;
  for (uint32_t code = 6; code <= 20; ++code) expected.push_back(code);
  EXPECT_EQ(window().keyCodes(), expected);
  EXPECT_TRUE(window().keyTest());
  EXPECT_FALSE(window().keyTest()) << "the test clears the mark";
  EXPECT_EQ(window().keyCodes(), expected) << "codes are never taken out";
}

TEST_F(StatusWindowTest, KeyMarkOutlivesCloseAndReopen) {
  ASSERT_EQ(openWindow(), 0);
  deliver([](DisplayEvents& events) { events.keyEntered('x'); });
  window().close();
  ASSERT_EQ(openWindow(), 0);
  EXPECT_TRUE(window().keyTest());
  EXPECT_FALSE(window().keyTest());
  EXPECT_EQ(window().keyCodes(), std::vector<uint32_t>{'x'});
}

TEST_F(StatusWindowTest, CloseButtonEntersTheCloseRequestAndStaysOpen) {
  ASSERT_EQ(openWindow(), 0);
  deliver([](DisplayEvents& events) { events.closeRequested(); });
  EXPECT_EQ(window().keyCodes(), std::vector<uint32_t>{kCloseRequest});
  EXPECT_TRUE(window().keyTest());
  nextPresentMarks();  // still refreshing
  const std::vector<std::string> calls = script_.log();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "A close"), 0);
}

TEST_F(StatusWindowTest, RefreshPutsMarkedRowsAndClearsTheMarks) {
  ASSERT_EQ(openWindow(), 0);
  {
    std::lock_guard<FrameLock> guard(window().frame().lock());
    window().frame().markRows(10, 17);
  }
  EXPECT_TRUE(eventually([this] { return script_.lastMarked() == 8; }));
  std::lock_guard<FrameLock> guard(window().frame().lock());
  int marked = 0;
  window().frame().forEachChangedBand(
      [&marked](int, int count) { marked += count; });
  EXPECT_EQ(marked, 0);
}

TEST_F(StatusWindowTest, FocusChangesMarkEveryRow) {
  ASSERT_EQ(openWindow(), 0);
  deliver([](DisplayEvents& events) { events.focusChanged(false); });
  EXPECT_FALSE(window().active());
  EXPECT_EQ(nextPresentMarks(), 480)
      << "windowed, an inactive window still refreshes";
  EXPECT_EQ(nextPresentMarks(), 0);
  deliver([](DisplayEvents& events) { events.focusChanged(true); });
  EXPECT_TRUE(window().active());
  EXPECT_EQ(nextPresentMarks(), 480);
  deliver([](DisplayEvents& events) { events.pictureLost(); });
  EXPECT_EQ(nextPresentMarks(), 480);
}

TEST_F(StatusWindowTest, InactiveFullScreenDoesNotRefresh) {
  script_.refused = {"A open windowed", "B open windowed"};
  ASSERT_EQ(openWindow(), 0);
  ASSERT_TRUE(window().fullScreen());
  deliver([](DisplayEvents& events) { events.focusChanged(false); });
  const size_t presents = script_.presents();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(script_.presents(), presents);
  deliver([](DisplayEvents& events) { events.focusChanged(true); });
  EXPECT_EQ(nextPresentMarks(), 480);
}

TEST_F(StatusWindowTest, FullScreenSwitchAndBack) {
  ASSERT_EQ(openWindow(), 0);
  deliver([](DisplayEvents& events) {
    events.focusChanged(false);
    events.fullScreenSwitchRequested();
  });
  ASSERT_TRUE(eventually([this] { return window().fullScreen(); }));
  EXPECT_TRUE(window().active()) << "set after every switch";
  EXPECT_EQ(nextPresentMarks(), 480);
  deliver([](DisplayEvents& events) { events.fullScreenSwitchRequested(); });
  ASSERT_TRUE(eventually([this] { return !window().fullScreen(); }));
  const std::vector<std::string> calls = script_.log();
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "A connect", "A saver off", "A open windowed", "A close",
                       "A open full", "A close", "A open windowed"}));
}

TEST_F(StatusWindowTest, FailedSwitchReturnsToTheFormItHad) {
  ASSERT_EQ(openWindow(), 0);
  script_.refuse({"A open full"});
  deliver([](DisplayEvents& events) { events.fullScreenSwitchRequested(); });
  EXPECT_TRUE(eventually([this] { return script_.log().size() == 7; }));
  const std::vector<std::string> calls = script_.log();
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 3, calls.end()),
            (std::vector<std::string>{"A close", "A open full", "A close",
                                      "A open windowed"}));
  EXPECT_FALSE(window().fullScreen());
  EXPECT_EQ(nextPresentMarks(), 480);
}

TEST_F(StatusWindowTest, CloseReleasesTheLockTheMainThreadStillHolds) {
  ASSERT_EQ(openWindow(), 0);
  FrameLock& lock = window().frame().lock();
  lock.lock();
  lock.lock();
  EXPECT_EQ(lock.nesting(), 2);
  // The window thread waits for the lock: no refresh meanwhile.
  const size_t presents = script_.presents();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(script_.presents(), presents);
  window().close();  // would wait for ever without the forced release
  EXPECT_FALSE(window().isOpen());
  const std::vector<std::string> calls = script_.log();
  EXPECT_EQ(calls.back(), "A disconnect");
}

TEST_F(StatusWindowTest, WindowSystemGoneLeavesKeysAndCloseWorking) {
  ASSERT_EQ(openWindow(), 0);
  deliver([](DisplayEvents& events) { events.keyEntered('k'); });
  script_.lose();
  // The window thread ends on its own and releases the window.
  ASSERT_TRUE(
      eventually([this] { return script_.log().back() == "A disconnect"; }));
  EXPECT_TRUE(script_.screenSaverOn);
  EXPECT_TRUE(window().keyTest());
  EXPECT_FALSE(window().keyTest());
  window().close();
  EXPECT_FALSE(window().isOpen());
}

TEST_F(StatusWindowTest, EachOpenStartsAFreshPictureAndGrid) {
  ASSERT_EQ(openWindow(), 0);
  const unsigned char text[] = {'a', 'b', '\r', '\n', 'c'};
  printText(window().text(), text, sizeof text, [] {});
  EXPECT_EQ(window().text().cursor().row, 1);
  window().close();
  ASSERT_EQ(openWindow(), 0);
  EXPECT_EQ(window().text().cursor().row, 0);
  EXPECT_EQ(window().text().cursor().column, 0);
  EXPECT_FALSE(window().text().cursor().pendingWrap);
  const Frame& frame = window().frame();
  const std::vector<uint32_t> picture = frame.picture();
  EXPECT_TRUE(std::all_of(picture.begin(), picture.end(),
                          [](uint32_t p) { return p == kOpaqueBlack; }));
}

}  // namespace
}  // namespace scrpack
