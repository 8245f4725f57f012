// Display methods that only record what the status window asks of them
// and do what a test tells them, for testing the window without a window
// system.
#ifndef SCRPACK_TESTS_FAKE_DISPLAY_H_
#define SCRPACK_TESTS_FAKE_DISPLAY_H_

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "status/display.h"
#include "status/frame.h"

namespace scrpack {
namespace test {

// What the fake display methods of one test did and are told to do. The
// window thread calls the fakes; the test reads and steers under the mutex.
struct Script {
  std::mutex mutex;
  std::vector<std::string> calls;  // "A open windowed", ...
  std::set<std::string> refused;   // calls that fail, e.g. "B connect"
  std::deque<std::function<void(DisplayEvents&)>> events;  // for the next pump
  std::vector<int> markedAtPresent;  // changed rows seen by each present
  bool loseWindowSystem = false;
  bool screenSaverOn = true;
  int openDelayMs = 0;

  std::vector<std::string> log() {
    std::lock_guard<std::mutex> guard(mutex);
    return calls;
  }
  void lose() {
    std::lock_guard<std::mutex> guard(mutex);
    loseWindowSystem = true;
  }
  void refuse(const std::set<std::string>& names) {
    std::lock_guard<std::mutex> guard(mutex);
    refused = names;
  }
  void send(std::function<void(DisplayEvents&)> event) {
    std::lock_guard<std::mutex> guard(mutex);
    events.push_back(std::move(event));
  }
  size_t presents() {
    std::lock_guard<std::mutex> guard(mutex);
    return markedAtPresent.size();
  }
  int lastMarked() {
    std::lock_guard<std::mutex> guard(mutex);
    return markedAtPresent.empty() ? -1 : markedAtPresent.back();
  }
  bool eventsTaken() {
    std::lock_guard<std::mutex> guard(mutex);
    return events.empty();
  }
};

class FakeDisplay : public DisplayMethod {
 public:
  FakeDisplay(std::string name, Script& script)
      : name_(std::move(name)), script_(script) {}

  // Not recorded; refused as "A reachable".
  bool reachable() const override {
    std::lock_guard<std::mutex> guard(script_.mutex);
    return script_.refused.count(name_ + " reachable") == 0;
  }
  bool connect() override { return record("connect"); }
  void suspendScreenSaver() override {
    record("saver off");
    std::lock_guard<std::mutex> guard(script_.mutex);
    script_.screenSaverOn = false;
  }
  void resumeScreenSaver() override {
    record("saver on");
    std::lock_guard<std::mutex> guard(script_.mutex);
    script_.screenSaverOn = true;
  }
  bool open(DisplayForm form, const std::string& title, int width,
            int height) override {
    int delay;
    {
      std::lock_guard<std::mutex> guard(script_.mutex);
      delay = script_.openDelayMs;
      title_ = title;
      size_ = std::to_string(width) + "x" + std::to_string(height);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return record(form == DisplayForm::kWindowed ? "open windowed"
                                                 : "open full");
  }
  void present(const Frame& frame) override {
    int marked = 0;
    frame.forEachChangedBand([&marked](int, int count) { marked += count; });
    std::lock_guard<std::mutex> guard(script_.mutex);
    script_.markedAtPresent.push_back(marked);
  }
  bool pumpMessages(DisplayEvents& events) override {
    std::deque<std::function<void(DisplayEvents&)>> waiting;
    {
      std::lock_guard<std::mutex> guard(script_.mutex);
      if (script_.loseWindowSystem) return false;
      waiting.swap(script_.events);
    }
    for (auto& event : waiting) event(events);
    return true;
  }
  void close() override { record("close"); }
  void disconnect() override { record("disconnect"); }

  std::string title_;
  std::string size_;

 private:
  bool record(const std::string& call) {
    const std::string entry = name_ + " " + call;
    std::lock_guard<std::mutex> guard(script_.mutex);
    script_.calls.push_back(entry);
    return script_.refused.count(entry) == 0;
  }

  std::string name_;
  Script& script_;
};

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_FAKE_DISPLAY_H_
