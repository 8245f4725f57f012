// The process's console: standard output as a text surface when it is a
// terminal (or as a plain byte stream when it is redirected), and the
// keyboard behind standard input.
#ifndef SCRPACK_STATUS_CONSOLE_H_
#define SCRPACK_STATUS_CONSOLE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "status/text_rules.h"

namespace scrpack {

class Console {
 public:
  // Takes over the console: keys are read without echo from now until the
  // console is destroyed, and the console's close notices (closing its
  // window, logging off, shutting down, a hang-up or termination request)
  // become close requests instead of ending the process.
  static std::unique_ptr<Console> Create();
  virtual ~Console() = default;

  // The text surface of standard output; null when standard output is not
  // a console, and prints are written unchanged with writeRaw().
  virtual TextSurface* surface() = 0;
  // Writes all |size| bytes to standard output; a failed write drops the
  // rest. May be called on another thread than the rest, one call at a
  // time.
  virtual void writeRaw(const unsigned char* bytes, size_t size) = 0;
  // A status line's prints come between these two calls; a terminal may
  // send their output in one write at endLine().
  virtual void beginLine() {}
  virtual void endLine() {}
  // Appends the code of every key press waiting in the console's input,
  // and kCloseRequest for every close notice that came since the last call.
  virtual void takeKeys(std::vector<uint32_t>* codes) = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_CONSOLE_H_
