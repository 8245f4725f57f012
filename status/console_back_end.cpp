#include "status/console_back_end.h"

#include <utility>

namespace scrpack {

ConsoleBackEnd::ConsoleBackEnd(BellFunction bell) : bell_(std::move(bell)) {}

ConsoleBackEnd::ConsoleBackEnd(std::unique_ptr<Console> console,
                               BellFunction bell)
    : console_(std::move(console)), bell_(std::move(bell)) {}

ConsoleBackEnd::~ConsoleBackEnd() {
  if (console_) flush();
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
  // They go out a line at a time: a status line and its CR LF are two
  // prints, and one write for both halves what a reader is woken for.
  redirected_.append(reinterpret_cast<const char*>(bytes), size);
  if (redirected_.back() == '\n' || redirected_.size() >= kRedirectedChunk) {
    flush();
  }
}

void ConsoleBackEnd::flush() {
  if (redirected_.empty()) return;
  console_->writeRaw(reinterpret_cast<const unsigned char*>(redirected_.data()),
                     redirected_.size());
  redirected_.clear();
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
