// The picture that the status window shows, shared between the thread that
// draws status text into it and the window thread that puts it on screen.
//
// Pixels are 32-bit 0xAARRGGBB values, rows from the top down without gaps.
// A row's changed mark means the screen may not show it yet; whoever draws
// sets the marks of the rows it touched, and the window thread clears them
// all after copying.
//
// Everything here is guarded by the frame lock, which the thread holding it
// may take again.
#ifndef SCRPACK_STATUS_FRAME_H_
#define SCRPACK_STATUS_FRAME_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace scrpack {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// A re-enterable lock that counts how often its holder took it.
class FrameLock {
 public:
  void lock() {
    std::unique_lock<std::mutex> guard(mutex_);
    const std::thread::id me = std::this_thread::get_id();
    if (count_ > 0 && owner_ == me) {
      ++count_;
      return;
    }
    released_.wait(guard, [this] { return count_ == 0; });
    owner_ = me;
    count_ = 1;
  }

  void unlock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (count_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--count_ == 0) released_.notify_all();
  }

  // Releases the lock whatever its nesting, if the calling thread holds it.
  void releaseIfHeld() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (count_ == 0 || owner_ != std::this_thread::get_id()) return;
    count_ = 0;
    released_.notify_all();
  }

  // How often the calling thread holds the lock; 0 when it does not.
  int nesting() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return count_ > 0 && owner_ == std::this_thread::get_id() ? count_ : 0;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::thread::id owner_;  // guarded by mutex_
  int count_ = 0;          // guarded by mutex_
};

class FrameLockGuard {
 public:
  explicit FrameLockGuard(FrameLock& lock) : lock_(lock) { lock_.lock(); }
  ~FrameLockGuard() { lock_.unlock(); }
  FrameLockGuard(const FrameLockGuard&) = delete;
  FrameLockGuard& operator=(const FrameLockGuard&) = delete;

 private:
  FrameLock& lock_;
};

struct Frame {
  Frame(int frameWidth, int frameHeight)
      : width(frameWidth),
        height(frameHeight),
        pixels(static_cast<size_t>(frameWidth) * frameHeight, kOpaqueBlack),
        changedRows(static_cast<size_t>(frameHeight), 0) {}

  uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  void markRows(int first, int last) {
    for (int y = first; y <= last; ++y) changedRows[static_cast<size_t>(y)] = 1;
  }
  void markAll() { markRows(0, height - 1); }

  FrameLock lock;
  const int width;
  const int height;
  std::vector<uint32_t> pixels;       // guarded by lock
  std::vector<uint8_t> changedRows;   // guarded by lock
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_FRAME_H_
