// Gathers small writes into large ones for a byte stream that has no screen
// to keep up with (standard output redirected to a file or a pipe).
//
// Held bytes go out in the order they came: once a batch is full, when
// flush() is called, and at the latest kBatchDelay after the oldest held
// byte came, so that a reader of a slow run still sees its progress. The
// last is done by a thread of its own, started with the first held byte.
#ifndef SCRPACK_STATUS_BATCHED_OUTPUT_H_
#define SCRPACK_STATUS_BATCHED_OUTPUT_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace scrpack {

constexpr size_t kBatchBytes = 64 * 1024;
constexpr std::chrono::milliseconds kBatchDelay{50};

class BatchedOutput {
 public:
  // Writes all of the given bytes, or drops what it cannot write. Called on
  // the caller's thread for a full batch or a flush(), and on the batch
  // thread after the delay; never on two threads at once.
  using WriteFunction = std::function<void(const unsigned char*, size_t)>;

  explicit BatchedOutput(WriteFunction write, size_t batchBytes = kBatchBytes,
                         std::chrono::milliseconds delay = kBatchDelay);
  // Writes what is held and stops the batch thread.
  ~BatchedOutput();
  BatchedOutput(const BatchedOutput&) = delete;
  BatchedOutput& operator=(const BatchedOutput&) = delete;

  void append(const unsigned char* bytes, size_t size);
  // Writes what is held now, before returning.
  void flush();

 private:
  using Clock = std::chrono::steady_clock;

  void writeHeld();
  void writeWhenDue();

  const WriteFunction write_;
  const size_t batchBytes_;
  const std::chrono::milliseconds delay_;

  // Taken around every write and the taking of the held bytes for it, so
  // that batches leave in order.
  std::mutex writeMutex_;
  std::string writing_;  // guarded by writeMutex_

  std::mutex heldMutex_;
  std::condition_variable heldChanged_;
  std::string held_;             // guarded by heldMutex_
  Clock::time_point heldSince_;  // guarded by heldMutex_; when held_ began
  bool stopping_ = false;        // guarded by heldMutex_
  std::thread thread_;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_BATCHED_OUTPUT_H_
