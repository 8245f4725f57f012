// The status window: the window back end of the status output. It owns the
// frame buffer with its changed rows and lock, the key buffer, and the
// window thread that creates the window through a display method, puts the
// changed rows on the screen every 10 ms and handles the window's messages.
//
// open(), keyTest() and close() are called on the main thread; the window
// thread meets it only under the frame lock.
#ifndef SCRPACK_STATUS_STATUS_WINDOW_H_
#define SCRPACK_STATUS_STATUS_WINDOW_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "status/display.h"
#include "status/frame.h"
#include "status/key_ring.h"
#include "status/status_output.h"
#include "status/status_text.h"

namespace scrpack {

constexpr int kRefreshIntervalMs = 10;

class StatusWindow : public WindowBackEnd, private DisplayEvents {
 public:
  // The window with the platform's display methods and the program's path.
  static std::unique_ptr<StatusWindow> Create();

  // |methods| in the order they are tried, the preferred one first.
  StatusWindow(std::vector<std::unique_ptr<DisplayMethod>> methods,
               std::string programPath);
  ~StatusWindow() override;
  StatusWindow(const StatusWindow&) = delete;
  StatusWindow& operator=(const StatusWindow&) = delete;

  // 0 when the window is open: every method tried windowed, then every one
  // full screen, until one succeeds. 1 at once for a size of 0 or less or
  // an unknown colour depth, and when every attempt failed.
  int open(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t pages,
           int32_t flags, int32_t refreshRate) override;
  TextSurface& text() override { return *text_; }
  // Whether a key was entered since the last test; clears that.
  bool keyTest() override;
  // Stops the window thread, which destroys the window; releases the frame
  // lock first if this thread still holds it. Nothing when not open.
  void close() override;

  bool isOpen() const { return open_; }
  // The picture; valid while open. Draw only while holding its lock.
  Frame& frame() { return *frame_; }
  const std::string& title() const { return title_; }

  // Snapshots taken under the frame lock, for tests and diagnostics.
  std::vector<uint32_t> keyCodes();
  bool fullScreen();
  bool active();

 private:
  enum class Attempt { kStarting, kReady, kEnded };

  bool tryOpen(DisplayMethod& method, DisplayForm form);
  void reportAttempt(Attempt state);
  void windowThread(DisplayMethod* method, DisplayForm form);
  void refreshUntilStopped(DisplayMethod& method);
  bool switchFullScreen(DisplayMethod& method);
  DisplayForm currentForm() const;

  // DisplayEvents, on the window thread with the frame lock held.
  void keyEntered(uint32_t code) override;
  void closeRequested() override;
  void focusChanged(bool focused) override;
  void pictureLost() override;
  void fullScreenSwitchRequested() override;

  const std::vector<std::unique_ptr<DisplayMethod>> methods_;
  const std::string programPath_;

  // Set up by open() before the window thread starts.
  std::string title_;
  int width_ = 0;
  int height_ = 0;
  // Made by the first window thread that reaches a window system, while
  // open() waits for it, and released by close() after the thread has
  // ended; their contents are guarded by frame_->lock.
  std::unique_ptr<Frame> frame_;
  std::unique_ptr<StatusText> text_;
  std::thread thread_;
  bool open_ = false;  // main thread only

  // Written only by the main thread, read by the window thread each cycle.
  std::atomic<bool> running_{false};
  // Ends the window thread's wait between cycles early when running_ is
  // cleared, so that close() need not wait out the rest of it.
  std::mutex stopMutex_;
  std::condition_variable stopRequested_;

  std::mutex attemptMutex_;
  std::condition_variable attemptChanged_;
  Attempt attempt_ = Attempt::kStarting;  // guarded by attemptMutex_

  // Guarded by frame_->lock while a window thread exists. The key buffer and
  // its mark outlive every window and are never reset.
  KeyRing<16> keys_;
  bool active_ = false;
  bool fullScreen_ = false;
  bool switchRequested_ = false;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_STATUS_WINDOW_H_
