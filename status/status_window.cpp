#include "status/status_window.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "platform/system.h"
#include "status/window_rules.h"

namespace scrpack {

std::unique_ptr<StatusWindow> StatusWindow::Create() {
  return std::make_unique<StatusWindow>(DisplayMethod::CreateAll(),
                                        platform::programPath(kTitlePathChars));
}

StatusWindow::StatusWindow(std::vector<std::unique_ptr<DisplayMethod>> methods,
                           std::string programPath)
    : methods_(std::move(methods)), programPath_(std::move(programPath)) {}

StatusWindow::~StatusWindow() { close(); }

int StatusWindow::open(int32_t width, int32_t height, int32_t bitsPerPixel,
                       int32_t /*pages*/, int32_t /*flags*/,
                       int32_t /*refreshRate*/) {
  if (open_) return 0;
  if (!windowArgumentsValid(width, height, bitsPerPixel)) return 1;
  title_ = windowTitle(programPath_);
  width_ = width;
  height_ = height;
  // Windowed by every method first; full screen only when none gave a window.
  for (DisplayForm form : {DisplayForm::kWindowed, DisplayForm::kFullScreen}) {
    for (const std::unique_ptr<DisplayMethod>& method : methods_) {
      if (tryOpen(*method, form)) {
        open_ = true;
        return 0;
      }
    }
  }
  text_.reset();
  frame_.reset();
  return 1;
}

bool StatusWindow::tryOpen(DisplayMethod& method, DisplayForm form) {
  // No thread for a window system that is surely not there.
  if (!method.reachable()) return false;
  {
    std::lock_guard<std::mutex> guard(attemptMutex_);
    attempt_ = Attempt::kStarting;
  }
  running_ = true;
  try {
    thread_ = std::thread(&StatusWindow::windowThread, this, &method, form);
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  std::unique_lock<std::mutex> lock(attemptMutex_);
  attemptChanged_.wait(lock, [this] { return attempt_ != Attempt::kStarting; });
  const bool ready = attempt_ == Attempt::kReady;
  lock.unlock();
  if (ready) return true;
  // The thread has released what it made and is ending.
  thread_.join();
  running_ = false;
  return false;
}

void StatusWindow::reportAttempt(Attempt state) {
  std::lock_guard<std::mutex> guard(attemptMutex_);
  if (attempt_ != Attempt::kStarting) return;
  attempt_ = state;
  attemptChanged_.notify_all();
}

void StatusWindow::windowThread(DisplayMethod* method, DisplayForm form) {
  bool made = method->connect();
  if (made) {
    // The picture is made only once a window system answers: without one
    // the run never touches its memory. open() waits meanwhile.
    if (!frame_) {
      frame_ = std::make_unique<Frame>(width_, height_);
      text_ = std::make_unique<StatusText>(*frame_);
    }
    method->suspendScreenSaver();
    made = method->open(form, title_, width_, height_);
    if (!made) {
      method->close();
      method->resumeScreenSaver();
    }
  }
  if (!made) {
    method->disconnect();
    reportAttempt(Attempt::kEnded);
    return;
  }
  {
    // Active from the start, so open() returns with the flags settled.
    std::lock_guard<FrameLock> guard(frame_->lock());
    fullScreen_ = form == DisplayForm::kFullScreen;
    active_ = true;
  }
  reportAttempt(Attempt::kReady);
  refreshUntilStopped(*method);
  // Also reached when the window system went away: the run goes on without
  // a picture, and close() finds the thread ended.
  method->close();
  method->resumeScreenSaver();
  method->disconnect();
}

void StatusWindow::refreshUntilStopped(DisplayMethod& method) {
  while (running_) {
    {
      std::unique_lock<std::mutex> lock(stopMutex_);
      stopRequested_.wait_for(lock,
                              std::chrono::milliseconds(kRefreshIntervalMs),
                              [this] { return !running_; });
    }
    {
      std::lock_guard<FrameLock> guard(frame_->lock());
      if (active_ || !fullScreen_) {
        text_->paint();
        method.present(*frame_);
        frame_->clearMarks();
      }
      if (!method.pumpMessages(*this)) return;
      if (switchRequested_) {
        switchRequested_ = false;
        if (!switchFullScreen(method)) return;
      }
    }
    method.show();
  }
}

DisplayForm StatusWindow::currentForm() const {
  return fullScreen_ ? DisplayForm::kFullScreen : DisplayForm::kWindowed;
}

// With the frame lock held. False when neither form can be opened again;
// the window is then gone as if the window system had gone away.
bool StatusWindow::switchFullScreen(DisplayMethod& method) {
  method.close();
  fullScreen_ = !fullScreen_;
  if (!method.open(currentForm(), title_, frame_->width(), frame_->height())) {
    method.close();
    fullScreen_ = !fullScreen_;
    if (!method.open(currentForm(), title_, frame_->width(),
                     frame_->height())) {
      return false;
    }
  }
  frame_->markAll();
  active_ = true;
  return true;
}

bool StatusWindow::keyTest() {
  if (!frame_) return keys_.testAndClear();
  std::lock_guard<FrameLock> guard(frame_->lock());
  return keys_.testAndClear();
}

void StatusWindow::close() {
  if (!open_) return;
  {
    std::lock_guard<std::mutex> guard(stopMutex_);
    running_ = false;
  }
  stopRequested_.notify_all();
  // The window thread needs the lock to finish its cycle.
  frame_->lock().releaseIfHeld();
  thread_.join();
  text_.reset();
  frame_.reset();
  open_ = false;
}

std::vector<uint32_t> StatusWindow::keyCodes() {
  std::vector<uint32_t> codes;
  std::unique_lock<FrameLock> guard;
  if (frame_) guard = std::unique_lock<FrameLock>(frame_->lock());
  for (size_t i = 0; i < keys_.size(); ++i) codes.push_back(keys_.at(i));
  return codes;
}

bool StatusWindow::fullScreen() {
  if (!frame_) return false;
  std::lock_guard<FrameLock> guard(frame_->lock());
  return fullScreen_;
}

bool StatusWindow::active() {
  if (!frame_) return false;
  std::lock_guard<FrameLock> guard(frame_->lock());
  return active_;
}

void StatusWindow::keyEntered(uint32_t code) { keys_.enter(code); }

void StatusWindow::closeRequested() { keys_.enter(kCloseRequest); }

void StatusWindow::focusChanged(bool focused) {
  active_ = focused;
  frame_->markAll();
}

void StatusWindow::pictureLost() { frame_->markAll(); }

void StatusWindow::fullScreenSwitchRequested() { switchRequested_ = true; }

}  // namespace scrpack
