#include "status/console_back_end.h"

#include <utility>

namespace scrpack {

ConsoleBackEnd::ConsoleBackEnd(BellFunction bell, size_t batchBytes)
    : bell_(std::move(bell)), batchBytes_(batchBytes) {}

ConsoleBackEnd::ConsoleBackEnd(std::unique_ptr<Console> console,
                               BellFunction bell)
    : console_(std::move(console)), bell_(std::move(bell)) {}

ConsoleBackEnd::~ConsoleBackEnd() {
  // Writes what is held while the console is still there.
  redirected_.reset();
}

void ConsoleBackEnd::start() {
  if (!console_) console_ = Console::Create();
}

void ConsoleBackEnd::print(const unsigned char* bytes, size_t size) {
  if (size == 0) return;
  start();
  if (TextSurface* surface = console_->surface()) {
    printText(*surface, bytes, size, bell_);
    return;
  }
  // Redirected output gets the bytes as they are; no text rule applies.
  // They go out in large writes: a write per status line costs a run over
  // many small files more than the files themselves, and wakes a reader
  // for every line.
  if (!redirected_) {
    Console* console = console_.get();
    redirected_ = std::make_unique<BatchedOutput>(
        [console](const unsigned char* text, size_t length) {
          console->writeRaw(text, length);
        },
        batchBytes_);
  }
  redirected_->append(bytes, size);
}

void ConsoleBackEnd::beginLine() {
  start();
  console_->beginLine();
}

void ConsoleBackEnd::endLine() { console_->endLine(); }

void ConsoleBackEnd::flush() {
  if (redirected_) redirected_->flush();
}

bool ConsoleBackEnd::keyTest() {
  start();
  flush();
  incoming_.clear();
  console_->takeKeys(&incoming_);
  for (uint32_t code : incoming_) keys_.enter(code);
  return keys_.testAndClear();
}

}  // namespace scrpack
