// Where the packing run shows its progress: the status window while it is
// open, the console otherwise. Both share the text rules of printText().
#ifndef SCRPACK_STATUS_STATUS_OUTPUT_H_
#define SCRPACK_STATUS_STATUS_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "status/console_back_end.h"
#include "status/pause.h"
#include "status/text_rules.h"

namespace scrpack {

// What the status output needs of a window: opening it, its text surface,
// its key test and closing it.
class WindowBackEnd {
 public:
  virtual ~WindowBackEnd() = default;
  // 0 when the window is open, 1 when none could be opened.
  virtual int open(int32_t width, int32_t height, int32_t bitsPerPixel,
                   int32_t pages, int32_t flags, int32_t refreshRate) = 0;
  // The window's text grid; valid while the window is open.
  virtual TextSurface& text() = 0;
  virtual bool keyTest() = 0;
  virtual void close() = 0;
};

class StatusOutput {
 public:
  // |window| may be null: then no window can ever be opened.
  // Redirected output leaves in writes of up to |batchBytes|.
  explicit StatusOutput(std::unique_ptr<WindowBackEnd> window,
                        size_t batchBytes = kBatchBytes);
  StatusOutput(std::unique_ptr<WindowBackEnd> window,
               std::unique_ptr<ConsoleBackEnd> console, SleepFunction sleep);
  ~StatusOutput();

  // Asks the window back end for the window; 0 when it opened, 1 when the
  // output stays on the console.
  int open(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t pages,
           int32_t flags, int32_t refreshRate);
  // The text, unless it is empty, then CR LF: two prints.
  void printLine(const std::string& text);
  void print(const unsigned char* bytes, size_t size);
  void pause(int32_t milliseconds);
  void close();

 private:
  std::unique_ptr<WindowBackEnd> window_;
  std::unique_ptr<ConsoleBackEnd> console_;
  SleepFunction sleep_;
  bool windowOpen_ = false;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_STATUS_OUTPUT_H_
