#include "tests/gated_run.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace scrpack {
namespace test {

GatedRun::GatedRun(const std::filesystem::path& workDir, size_t allowed,
                   const ToolOptions& options) {
  int pipe[2];
  if (allowed > kPipeBytes || ::pipe2(pipe, O_CLOEXEC) != 0) return;
  if (::fcntl(pipe[1], F_SETPIPE_SZ, static_cast<int>(kPipeBytes)) !=
          static_cast<int>(kPipeBytes) ||
      ::fcntl(pipe[1], F_GETPIPE_SZ) != static_cast<int>(kPipeBytes)) {
    ::close(pipe[0]);
    ::close(pipe[1]);
    return;
  }
  filler_ = kPipeBytes - allowed;
  const std::string filler(filler_, '#');
  if (filler_ > 0 && ::write(pipe[1], filler.data(), filler_) !=
                         static_cast<ssize_t>(filler_)) {
    ::close(pipe[0]);
    ::close(pipe[1]);
    return;
  }
  ToolOptions held = options;
  if (held.program.empty()) held.program = SCRPACK_WRITE_THROUGH_BINARY;
  ToolCommand command(held);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDWR);
    command.execInChild(workDir, in, pipe[1], in);
  }
  ::close(pipe[1]);
  read_ = pipe[0];
  pid_ = pid;
}

GatedRun::~GatedRun() {
  if (started() && !finished_) finish();
  if (read_ >= 0) ::close(read_);
}

bool GatedRun::waitHeld() {
  if (!started()) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    int queued = 0;
    if (::ioctl(read_, FIONREAD, &queued) == 0 &&
        queued == static_cast<int>(kPipeBytes)) {
      return true;
    }
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
      reaped_ = true;  // ended before it got there
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

void GatedRun::signal(int sig) {
  if (started() && !reaped_) ::kill(pid_, sig);
}

ToolRun GatedRun::finish() {
  ToolRun run;
  if (!started()) return run;
  std::string all;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(read_, buffer, sizeof buffer)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    all.append(buffer, static_cast<size_t>(n));
  }
  run.output = all.substr(std::min(filler_, all.size()));
  if (reaped_ || ::waitpid(pid_, &status_, 0) == pid_) {
    if (WIFEXITED(status_)) run.exitCode = WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) run.exitCode = 128 + WTERMSIG(status_);
  }
  finished_ = true;
  return run;
}

}  // namespace test
}  // namespace scrpack
