// What the status window costs, on a private X server (Xvfb):
//   - the time from StatusOutput::open to the window on screen, and to the
//     first status line visible in it,
//   - the window thread's CPU time while the window waits (target: below
//     2 % of one core) and while 10,000 status lines are printed, with the
//     X server's CPU time beside it.
// The window thread's time is the process's CPU time less the main
// thread's own.
//
// usage: window_bench [idle seconds]
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "status/status_output.h"
#include "status/status_window.h"
#include "tests/xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;
using scrpack::test::XClient;
using scrpack::test::Xvfb;

double seconds(clockid_t clock) {
  timespec now;
  if (::clock_gettime(clock, &now) != 0) return 0;
  return static_cast<double>(now.tv_sec) +
         static_cast<double>(now.tv_nsec) / 1e9;
}

// CPU seconds of another process, from /proc.
double processCpu(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct CpuSample {
  double wall, process, mainThread, server;
};

CpuSample sample(pid_t server) {
  return {
      std::chrono::duration<double>(Clock::now().time_since_epoch()).count(),
      seconds(CLOCK_PROCESS_CPUTIME_ID), seconds(CLOCK_THREAD_CPUTIME_ID),
      processCpu(server)};
}

void report(const char* what, const CpuSample& a, const CpuSample& b) {
  const double wall = b.wall - a.wall;
  const double window = (b.process - a.process) - (b.mainThread - a.mainThread);
  std::printf(
      "%-28s %7.3f s wall  window thread %7.3f s CPU (%5.2f %% of a core)"
      "  main %7.3f s  X server %6.2f s\n",
      what, wall, window, 100 * window / wall, b.mainThread - a.mainThread,
      b.server - a.server);
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 5;
  Xvfb server;
  if (!server.started()) {
    std::fprintf(stderr, "window_bench: Xvfb did not start\n");
    return 1;
  }
  ::setenv("DISPLAY", server.name().c_str(), 1);
  XClient client(server.name());

  scrpack::StatusOutput status(scrpack::StatusWindow::Create());
  const Clock::time_point start = Clock::now();
  if (status.open(640, 480, 32, 1, 0, 0) != 0) {
    std::fprintf(stderr, "window_bench: no window\n");
    return 1;
  }
  const Clock::time_point opened = Clock::now();
  status.printLine("first line");
  XID window = 0;
  if (!scrpack::test::eventually([&] {
        return (window = client.findWindow("window_bench")) != 0 &&
               client.viewable(window);
      })) {
    std::fprintf(stderr, "window_bench: the window did not show\n");
    return 1;
  }
  const Clock::time_point mapped = Clock::now();
  int x = 0, y = 0, width = 0, height = 0;
  client.geometry(window, &x, &y, &width, &height);
  // The first line's first glyph has white pixels in its top-left cell.
  if (!scrpack::test::eventually([&] {
        for (uint32_t pixel : client.grab(x, y, 8, 8)) {
          if (pixel == 0xFFFFFF) return true;
        }
        return false;
      })) {
    std::fprintf(stderr, "window_bench: the first line did not show\n");
    return 1;
  }
  const Clock::time_point shown = Clock::now();
  auto ms = [start](Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
  };
  std::printf("open returned after          %7.1f ms\n", ms(opened));
  std::printf("window viewable after        %7.1f ms\n", ms(mapped));
  std::printf("first line on screen after   %7.1f ms\n", ms(shown));

  CpuSample before = sample(server.pid());
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  CpuSample after = sample(server.pid());
  report("idle", before, after);

  before = sample(server.pid());
  char line[32];
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(line, sizeof line, "picture%05d.jpg", i);
    status.printLine(line);
  }
  after = sample(server.pid());
  report("printing 10,000 lines", before, after);

  const Clock::time_point closing = Clock::now();
  status.close();
  std::printf("close took                   %7.1f ms\n",
              std::chrono::duration<double, std::milli>(Clock::now() - closing)
                  .count());
  return 0;
}
