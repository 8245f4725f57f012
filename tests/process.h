// Runs a tool of the project as a process, the way a user starts it: in a
// working directory, with standard input empty and standard output and
// standard error each captured in a file.
#ifndef SCRPACK_TESTS_PROCESS_H_
#define SCRPACK_TESTS_PROCESS_H_

#include <filesystem>
#include <string>
#include <vector>

namespace scrpack {
namespace test {

struct ToolOptions {
  // The program to run; empty means scrpack itself (toolPath()).
  std::filesystem::path program;
  // Its command-line arguments, after the program's name.
  std::vector<std::string> arguments;
  // Run as an unprivileged user (nobody) when the tests run as root, so
  // that file permissions hold for the tool.
  bool unprivileged = false;
  // Extra environment entries, "NAME=value". The display is removed from
  // the environment unless one is given here.
  std::vector<std::string> environment;
};

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output, redirected to a file
  std::string errors;  // standard error, redirected to a file
  double seconds = 0;
};

ToolRun runTool(const std::filesystem::path& workDir,
                const ToolOptions& options = ToolOptions());

// POSIX only: a run of a tool made ready before a fork, so that the child
// runs it without allocating.
class ToolCommand {
 public:
  explicit ToolCommand(const ToolOptions& options);
  ToolCommand(const ToolCommand&) = delete;
  ToolCommand& operator=(const ToolCommand&) = delete;

  // In a child just forked: puts |in|, |out| and |err| on descriptors 0 to
  // 2, enters |workDir|, sets the environment, becomes an unprivileged user
  // if the options ask for it, and runs the tool. Never returns.
  [[noreturn]] void execInChild(const std::filesystem::path& workDir, int in,
                                int out, int err);

 private:
  const ToolOptions& options_;
  std::string binary_;
  std::vector<char*> argv_;
};

// The path of the scrpack binary under test.
std::filesystem::path toolPath();

// Whether permission checks apply to processes that runTool() starts with
// |unprivileged| set (false where the platform has no such users).
bool permissionsApply();

// The system's words for a failure, as the tool shows them in a problem
// line: for the errno value |posixError| on POSIX, for the system error
// code |windowsError| on Windows (in wine's words under wine).
std::string systemReason(int posixError, unsigned long windowsError);

// Makes |path| readable and enterable but not writable by anyone.
void makeReadOnly(const std::filesystem::path& path);
// Makes |path| writable by everyone, for a tool running unprivileged.
void makeWorldWritable(const std::filesystem::path& path);

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_PROCESS_H_
