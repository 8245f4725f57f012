#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/system.h"

namespace scrpack {
namespace platform {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Signal handlers see only these.
std::atomic<void (*)()> g_restoreHook{nullptr};
char g_removePath[4096];
std::atomic<bool> g_haveRemovePath{false};
struct sigaction g_before[sizeof kInterrupts / sizeof kInterrupts[0]];

void onInterrupt(int sig) {
  if (void (*hook)() = g_restoreHook.load()) hook();
  if (g_haveRemovePath.load()) ::unlink(g_removePath);
  ::_exit(128 + sig);
}

}  // namespace

void prepareProcess() {
  // A closed standard descriptor would be the next one that open() hands
  // out, and the status text would land in that file.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int null =
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  // Writing to a pipe whose reader has gone must lose the text, not end
  // the run.
  ::signal(SIGPIPE, SIG_IGN);
}

void setSignalRestoreHook(void (*hook)()) { g_restoreHook = hook; }

InterruptExit::InterruptExit() {
  struct sigaction action;
  ::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  ::sigemptyset(&action.sa_mask);
  for (int sig : kInterrupts) ::sigaddset(&action.sa_mask, sig);
  for (size_t i = 0; i < sizeof kInterrupts / sizeof kInterrupts[0]; ++i) {
    ::sigaction(kInterrupts[i], &action, &g_before[i]);
  }
}

InterruptExit::~InterruptExit() {
  for (size_t i = 0; i < sizeof kInterrupts / sizeof kInterrupts[0]; ++i) {
    ::sigaction(kInterrupts[i], &g_before[i], nullptr);
  }
}

void removeOnInterrupt(const std::string& path) {
  g_haveRemovePath = false;
  if (path.empty() || path.size() >= sizeof g_removePath) return;
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  ::memcpy(g_removePath, native.c_str(), native.size() + 1);
  g_haveRemovePath = true;
}

void sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  struct timespec left;
  left.tv_sec = milliseconds / 1000;
  left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void beep(int32_t /*frequencyHz*/, int32_t milliseconds) {
  // No tone generator here: ring the bell of the controlling terminal, if
  // there is one, and take the tone's time all the same.
  const int fd = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) {
    const char bel = '\a';
    ssize_t ignored = ::write(fd, &bel, 1);
    (void)ignored;
    ::close(fd);
  }
  sleepMilliseconds(milliseconds);
}

uint32_t processId() { return static_cast<uint32_t>(::getpid()); }

std::string programPath(size_t maxChars) {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0) return std::string();
  std::string path(buffer, static_cast<size_t>(n));
  if (path.size() > maxChars) path.resize(maxChars);
  return path;
}

}  // namespace platform
}  // namespace scrpack
