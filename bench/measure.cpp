#include "bench/measure.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace scrpack {
namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

// The value of |key| ("VmHWM:") in a /proc file of kB lines; -1 if absent.
long procValue(const std::string& text, const std::string& key) {
  const size_t at = text.find("\n" + key);
  if (at == std::string::npos) return -1;
  return std::atol(text.c_str() + at + 1 + key.size());
}

std::string readProc(pid_t pid, const char* file) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  std::stringstream text;
  text << "\n" << in.rdbuf();
  return text.str();
}

// Samples the memory of |pid| every 10 ms until |stop|, counting only what
// the program itself has: before exec the child is a copy of this process.
void sampleMemory(pid_t pid, const std::string& name,
                  const std::atomic<bool>& stop, Measured* out) {
  const std::string comm = name.substr(0, 15);
  while (!stop) {
    const std::string status = readProc(pid, "status");
    if (status.find("\nName:\t" + comm + "\n") != std::string::npos) {
      const long hwm = procValue(status, "VmHWM:");
      if (hwm > out->peakRssKiB) out->peakRssKiB = hwm;
      const std::string rollup = readProc(pid, "smaps_rollup");
      const long clean = procValue(rollup, "Private_Clean:");
      const long dirty = procValue(rollup, "Private_Dirty:");
      if (clean >= 0 && dirty >= 0 && clean + dirty > out->privateKiB)
        out->privateKiB = clean + dirty;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

Measured measure(const std::string& program, const std::string& dir,
                 Output output, const std::string& display) {
  Measured result;
  // Inherited by the child: its 50 ms sleeps then overshoot by microseconds,
  // not by the default slack, and the pause can be taken off its time.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  int ends[2] = {-1, -1};
  if (output == Output::kPipe && ::pipe(ends) != 0) return result;
  const std::string outPath = dir + "/bench-output";
  ::unlink(outPath.c_str());
  const Clock::time_point start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(101);
    if (output != Output::kInherit) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int out =
          output == Output::kPipe
              ? ends[1]
              : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0) ::_exit(102);
      ::dup2(in, 0);
      ::dup2(out, 1);
      if (ends[0] >= 0) ::close(ends[0]);
    }
    if (display.empty()) {
      ::unsetenv("DISPLAY");
    } else {
      ::setenv("DISPLAY", display.c_str(), 1);
    }
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(103);
  }
  if (pid < 0) return result;
  std::thread reader;
  if (output == Output::kPipe) {
    ::close(ends[1]);
    reader = std::thread([fd = ends[0]] {
      char buffer[65536];
      while (::read(fd, buffer, sizeof buffer) > 0) {
      }
      ::close(fd);
    });
  }
  std::atomic<bool> stop{false};
  const std::string name = program.substr(program.rfind('/') + 1);
  std::thread sampler(sampleMemory, pid, name, std::cref(stop), &result);
  int status = 0;
  const bool waited = ::waitpid(pid, &status, 0) == pid;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  stop = true;
  sampler.join();
  if (reader.joinable()) reader.join();
  // Status 1 is a run that printed problem lines, as every set of more
  // than 31 files does ("no directory slot left"); the pack is still whole.
  result.ok = waited && WIFEXITED(status) && WEXITSTATUS(status) <= 1;
  return result;
}

}  // namespace bench
}  // namespace scrpack
