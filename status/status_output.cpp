#include "status/status_output.h"

#include <utility>

#include "platform/system.h"

namespace scrpack {
namespace {

constexpr int32_t kBellHz = 1000;
constexpr int32_t kBellMs = 250;
const unsigned char kLineEnd[] = {0x0D, 0x0A};

void systemBell() { platform::beep(kBellHz, kBellMs); }

}  // namespace

StatusOutput::StatusOutput(std::unique_ptr<WindowBackEnd> window,
                           size_t batchBytes)
    : StatusOutput(std::move(window),
                   std::make_unique<ConsoleBackEnd>(systemBell, batchBytes),
                   platform::sleepMilliseconds) {}

StatusOutput::StatusOutput(std::unique_ptr<WindowBackEnd> window,
                           std::unique_ptr<ConsoleBackEnd> console,
                           SleepFunction sleep)
    : window_(std::move(window)),
      console_(std::move(console)),
      sleep_(std::move(sleep)) {}

StatusOutput::~StatusOutput() { close(); }

int StatusOutput::open(int32_t width, int32_t height, int32_t bitsPerPixel,
                       int32_t pages, int32_t flags, int32_t refreshRate) {
  if (windowOpen_) return 0;
  if (window_ && window_->open(width, height, bitsPerPixel, pages, flags,
                               refreshRate) == 0) {
    console_->flush();  // anything printed before comes first
    windowOpen_ = true;
    window_->text().resetCursor();
    return 0;
  }
  // The console is ours from here on: keys typed during the run count.
  console_->start();
  return 1;
}

void StatusOutput::printLine(const std::string& text) {
  // A terminal gets the line in one write, not one per print.
  const bool console = !windowOpen_;
  if (console) console_->beginLine();
  if (!text.empty()) {
    print(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  }
  print(kLineEnd, sizeof kLineEnd);
  if (console) console_->endLine();
}

void StatusOutput::print(const unsigned char* bytes, size_t size) {
  if (size == 0) return;
  if (windowOpen_) {
    printText(window_->text(), bytes, size, systemBell);
  } else {
    console_->print(bytes, size);
  }
}

void StatusOutput::pause(int32_t milliseconds) {
  // Whatever the pause's length, the reader sees everything before it.
  if (!windowOpen_) console_->flush();
  pauseFor(milliseconds, sleep_, [this] {
    return windowOpen_ ? window_->keyTest() : console_->keyTest();
  });
}

void StatusOutput::close() {
  if (!windowOpen_) return;
  window_->close();
  windowOpen_ = false;
}

}  // namespace scrpack
