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

#include <algorithm>
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

// Rows are kept in a ring: scrolling moves the ring's origin instead of
// the pixels, so a scroll costs the rows it blanks, not the whole picture.
// Reach pixels through row(); row 0 is always the top of the picture.
class Frame {
 public:
  Frame(int frameWidth, int frameHeight)
      : width(frameWidth),
        height(frameHeight),
        changedRows(static_cast<size_t>(frameHeight), 0),
        pixels_(static_cast<size_t>(frameWidth) * frameHeight, kOpaqueBlack) {}

  uint32_t* row(int y) { return pixels_.data() + offset(y); }
  const uint32_t* row(int y) const { return pixels_.data() + offset(y); }

  // Moves every row up by |rows| and fills the freed rows at the bottom.
  void scrollUp(int rows, uint32_t fill) {
    if (rows <= 0) return;
    if (rows >= height) {
      fillAll(fill);
      return;
    }
    origin_ = (origin_ + rows) % height;
    for (int y = height - rows; y < height; ++y) {
      std::fill(row(y), row(y) + width, fill);
    }
  }
  void fillAll(uint32_t fill) {
    std::fill(pixels_.begin(), pixels_.end(), fill);
    origin_ = 0;
  }
  // The whole picture, top row first.
  std::vector<uint32_t> picture() const {
    std::vector<uint32_t> out;
    out.reserve(pixels_.size());
    for (int y = 0; y < height; ++y)
      out.insert(out.end(), row(y), row(y) + width);
    return out;
  }

  void markRows(int first, int last) {
    for (int y = first; y <= last; ++y) changedRows[static_cast<size_t>(y)] = 1;
  }
  void markAll() { markRows(0, height - 1); }
  // Calls |put|(first, count) for every band of consecutive changed rows,
  // top to bottom, so that a display can put each band in one request.
  template <typename Put>
  void forEachChangedBand(Put put) const {
    int y = 0;
    while (y < height) {
      if (!changedRows[static_cast<size_t>(y)]) {
        ++y;
        continue;
      }
      const int first = y;
      while (y < height && changedRows[static_cast<size_t>(y)]) ++y;
      put(first, y - first);
    }
  }

  FrameLock lock;
  const int width;
  const int height;
  std::vector<uint8_t> changedRows;  // guarded by lock

 private:
  size_t offset(int y) const {
    return static_cast<size_t>((origin_ + y) % height) *
           static_cast<size_t>(width);
  }

  std::vector<uint32_t> pixels_;  // guarded by lock
  int origin_ = 0;                // guarded by lock: the ring row shown on top
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_FRAME_H_
