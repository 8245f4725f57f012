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

// Rows are kept in a ring: scrolling moves the ring's origin instead of
// the pixels, so a scroll costs the rows it blanks, not the whole picture.
// Reach pixels through row(); row 0 is always the top of the picture.
//
// Every member but the size is guarded by lock(); take it with
// std::lock_guard or std::unique_lock.
class Frame {
 public:
  Frame(int width, int height)
      : width_(width),
        height_(height),
        changedRows_(static_cast<size_t>(height), 0),
        pixels_(static_cast<size_t>(width) * static_cast<size_t>(height),
                kOpaqueBlack) {}
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  FrameLock& lock() const { return lock_; }

  uint32_t* row(int y) { return pixels_.data() + offset(y); }
  const uint32_t* row(int y) const { return pixels_.data() + offset(y); }

  // Moves every row up by |rows| and fills the freed rows at the bottom.
  void scrollUp(int rows, uint32_t fill) {
    if (rows <= 0) return;
    if (rows >= height_) {
      fillAll(fill);
      return;
    }
    origin_ = (origin_ + rows) % height_;
    for (int y = height_ - rows; y < height_; ++y) {
      std::fill(row(y), row(y) + width_, fill);
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
    for (int y = 0; y < height_; ++y) {
      out.insert(out.end(), row(y), row(y) + width_);
    }
    return out;
  }

  // Changed marks: set by whoever draws, for the rows |first| to |last|;
  // cleared by the window thread once it has put them on the screen.
  void markRows(int first, int last) {
    for (int y = first; y <= last; ++y) changedRows_[index(y)] = 1;
  }
  void markAll() { markRows(0, height_ - 1); }
  void clearMarks() { std::fill(changedRows_.begin(), changedRows_.end(), 0); }
  // Calls |put|(first, count) for every band of consecutive changed rows,
  // top to bottom, so that a display can put each band in one request.
  template <typename Put>
  void forEachChangedBand(Put put) const {
    int y = 0;
    while (y < height_) {
      if (!changedRows_[index(y)]) {
        ++y;
        continue;
      }
      const int first = y;
      while (y < height_ && changedRows_[index(y)]) ++y;
      put(first, y - first);
    }
  }

 private:
  static size_t index(int y) { return static_cast<size_t>(y); }
  size_t offset(int y) const {
    return static_cast<size_t>((origin_ + y) % height_) *
           static_cast<size_t>(width_);
  }

  const int width_;
  const int height_;
  mutable FrameLock lock_;
  std::vector<uint8_t> changedRows_;
  std::vector<uint32_t> pixels_;
  int origin_ = 0;  // the ring row shown on top
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_FRAME_H_
