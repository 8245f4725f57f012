#include "status/batched_output.h"

#include <system_error>
#include <utility>

namespace scrpack {

BatchedOutput::BatchedOutput(WriteFunction write, size_t batchBytes,
                             std::chrono::milliseconds delay)
    : write_(std::move(write)), batchBytes_(batchBytes), delay_(delay) {}

BatchedOutput::~BatchedOutput() {
  {
    std::lock_guard<std::mutex> guard(heldMutex_);
    stopping_ = true;
  }
  heldChanged_.notify_all();
  if (thread_.joinable()) thread_.join();
  flush();
}

void BatchedOutput::append(const unsigned char* bytes, size_t size) {
  if (size == 0) return;
  bool full = false;
  bool first = false;
  {
    std::lock_guard<std::mutex> guard(heldMutex_);
    first = held_.empty();
    if (first) heldSince_ = Clock::now();
    held_.append(reinterpret_cast<const char*>(bytes), size);
    full = held_.size() >= batchBytes_;
    if (first && !full && !thread_.joinable() && !stopping_) {
      try {
        thread_ = std::thread(&BatchedOutput::writeWhenDue, this);
      } catch (const std::system_error&) {
        // Without the thread the bytes still go out when a batch fills,
        // at the pause and at the end.
      }
    }
  }
  if (full) {
    flush();
  } else if (first) {
    heldChanged_.notify_one();
  }
}

void BatchedOutput::flush() {
  std::lock_guard<std::mutex> writeGuard(writeMutex_);
  writeHeld();
}

// With writeMutex_ held.
void BatchedOutput::writeHeld() {
  {
    std::lock_guard<std::mutex> guard(heldMutex_);
    if (held_.empty()) return;
    writing_.swap(held_);
  }
  write_(reinterpret_cast<const unsigned char*>(writing_.data()),
         writing_.size());
  writing_.clear();
}

void BatchedOutput::writeWhenDue() {
  std::unique_lock<std::mutex> lock(heldMutex_);
  while (!stopping_) {
    if (held_.empty()) {
      heldChanged_.wait(lock);
      continue;
    }
    const Clock::time_point due = heldSince_ + delay_;
    if (Clock::now() < due) {
      heldChanged_.wait_until(lock, due);
      continue;
    }
    lock.unlock();
    {
      std::lock_guard<std::mutex> writeGuard(writeMutex_);
      writeHeld();
    }
    lock.lock();
  }
}

}  // namespace scrpack
