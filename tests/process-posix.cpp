#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {

namespace fs = std::filesystem;

namespace {
constexpr uid_t kNobody = 65534;
}

fs::path toolPath() { return SCRPACK_BINARY; }

bool permissionsApply() { return true; }

std::string systemReason(int posixError, unsigned long) {
  return ::strerror(posixError);
}

void makeReadOnly(const fs::path& path) {
  ::chmod(path.c_str(), fs::is_directory(path) ? 0555 : 0444);
}

void makeWorldWritable(const fs::path& path) {
  ::chmod(path.c_str(), fs::is_directory(path) ? 0777 : 0666);
}

ToolCommand::ToolCommand(const ToolOptions& options)
    : options_(options),
      binary_(
          (options.program.empty() ? toolPath() : options.program).string()) {
  argv_.push_back(const_cast<char*>(binary_.c_str()));
  for (const std::string& argument : options.arguments) {
    argv_.push_back(const_cast<char*>(argument.c_str()));
  }
  argv_.push_back(nullptr);
}

void ToolCommand::execInChild(const fs::path& workDir, int in, int out,
                              int err) {
  if (in < 0 || out < 0 || err < 0 || ::chdir(workDir.c_str()) != 0) {
    ::_exit(101);
  }
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  ::unsetenv("DISPLAY");
  for (const std::string& entry : options_.environment) {
    ::putenv(const_cast<char*>(entry.c_str()));
  }
  if (options_.unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
        ::setuid(kNobody) != 0) {
      ::_exit(102);
    }
  }
  ::execv(binary_.c_str(), argv_.data());
  ::_exit(103);
}

ToolRun runTool(const fs::path& workDir, const ToolOptions& options) {
  TempDir outputDir;
  const fs::path outputPath = outputDir.path() / "stdout";
  const fs::path errorsPath = outputDir.path() / "stderr";
  ToolCommand command(options);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    command.execInChild(
        workDir, ::open("/dev/null", O_RDONLY),
        ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
        ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
  }
  ToolRun run;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  run.output = readFile(outputPath);
  run.errors = readFile(errorsPath);
  return run;
}

}  // namespace test
}  // namespace scrpack
