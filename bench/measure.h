// Running one program of the benchmark as a process and measuring it: its
// wall time, its peak resident set (VmHWM) and its private memory, with its
// standard output where the benchmark puts it.
#ifndef SCRPACK_BENCH_MEASURE_H_
#define SCRPACK_BENCH_MEASURE_H_

#include <string>

namespace scrpack {
namespace bench {

enum class Output {
  kFile,     // a file in the working directory, deleted first
  kPipe,     // a pipe, read by a thread that blocks in read()
  kInherit,  // the caller's own (a terminal, when run inside tmux)
};

struct Measured {
  bool ok = false;      // started and exited with status 0 or 1
  double seconds = 0;   // from fork to exit
  long peakRssKiB = 0;  // VmHWM, highest seen
  long privateKiB = 0;  // Private_Clean + Private_Dirty, highest seen
};

// Runs |program| without arguments in |dir|. |display| is the X display to
// name in DISPLAY, or empty for none. The process inherits a timer slack of
// 1 ns, so that its sleeps last what they ask for.
Measured measure(const std::string& program, const std::string& dir,
                 Output output, const std::string& display);

}  // namespace bench
}  // namespace scrpack

#endif  // SCRPACK_BENCH_MEASURE_H_
