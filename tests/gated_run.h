// The tool held at a known point of its run, for tests that act between two
// of its steps without relying on timing.
//
// Its standard output is a pipe of one page that the test fills in advance,
// leaving room for exactly the first |allowed| bytes of the tool's output.
// A pipe takes new bytes only into free room after its last bytes or into
// a page of its own, so once the tool has written those bytes (the pipe is
// full), its next write blocks until the test lets it go: whatever the tool
// does after that write has not happened yet. The tool held is a build of
// scrpack that writes every print at once (scrpack gathers redirected
// output into larger writes), so |allowed| is the length of the lines to
// let through.
#ifndef SCRPACK_TESTS_GATED_RUN_H_
#define SCRPACK_TESTS_GATED_RUN_H_

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/process.h"

namespace scrpack {
namespace test {

class GatedRun {
 public:
  // The page size of the pipe: the most output that can be let through.
  static constexpr size_t kPipeBytes = 4096;

  GatedRun(const std::filesystem::path& workDir, size_t allowed,
           const ToolOptions& options = ToolOptions());
  // Lets the tool go on and waits for its end, if finish() did not.
  ~GatedRun();
  GatedRun(const GatedRun&) = delete;
  GatedRun& operator=(const GatedRun&) = delete;

  // Whether the tool started with a pipe of one page.
  bool started() const { return pid_ > 0; }
  // Waits until the tool has written all it is allowed to; false when it
  // ended first or did not get there within half a minute.
  bool waitHeld();
  void signal(int sig);
  // Lets the tool go on, reads its output to the end and waits for it. The
  // exit code is 128 + the signal for a tool that a signal ended.
  ToolRun finish();

 private:
  pid_t pid_ = -1;
  int read_ = -1;
  size_t filler_ = 0;
  int status_ = 0;
  bool reaped_ = false;
  bool finished_ = false;
};

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_GATED_RUN_H_
