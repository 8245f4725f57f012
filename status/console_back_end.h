// The status output's console back end: prints by the text rules on a
// terminal, writes them unchanged when standard output is redirected, and
// collects console keys for the pause.
#ifndef SCRPACK_STATUS_CONSOLE_BACK_END_H_
#define SCRPACK_STATUS_CONSOLE_BACK_END_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "status/batched_output.h"
#include "status/console.h"
#include "status/key_ring.h"
#include "status/text_rules.h"

namespace scrpack {

// The console keeps this many key codes; the oldest is dropped when full.
constexpr size_t kConsoleKeySlots = 512;

class ConsoleBackEnd {
 public:
  // Redirected output leaves in writes of up to |batchBytes|; a batch of 1
  // writes every print at once.
  explicit ConsoleBackEnd(BellFunction bell, size_t batchBytes = kBatchBytes);
  // For tests: a console of one's own.
  ConsoleBackEnd(std::unique_ptr<Console> console, BellFunction bell);

  ~ConsoleBackEnd();
  ConsoleBackEnd(const ConsoleBackEnd&) = delete;
  ConsoleBackEnd& operator=(const ConsoleBackEnd&) = delete;

  // Takes over the console (keys without echo); later calls do nothing.
  void start();
  void print(const unsigned char* bytes, size_t size);
  // Around the prints of one status line: see Console::beginLine().
  void beginLine();
  void endLine();
  // Writes out redirected text still held for a larger write.
  void flush();
  // Whether a key or a close notice came since the last test; clears that.
  bool keyTest();
  // The codes kept so far, oldest first.
  const KeyRing<kConsoleKeySlots>& keys() const { return keys_; }

 private:
  std::unique_ptr<Console> console_;
  BellFunction bell_;
  const size_t batchBytes_ = kBatchBytes;
  KeyRing<kConsoleKeySlots> keys_;
  std::vector<uint32_t> incoming_;
  // Made with the first redirected print; goes before console_.
  std::unique_ptr<BatchedOutput> redirected_;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_CONSOLE_BACK_END_H_
