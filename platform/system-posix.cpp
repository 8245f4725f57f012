#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include "platform/system.h"

namespace scrpack {
namespace platform {

void prepareProcess() {
  // Writing to a pipe whose reader has gone must lose the text, not end
  // the run.
  ::signal(SIGPIPE, SIG_IGN);
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
