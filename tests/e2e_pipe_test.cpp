// The tool with its output in a pipe, read while the run goes on, as a
// program that follows its progress would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

const char kFinal[] = "Jpeg files are packed to velkoscr\r\n";

// Starts the tool in |dir| with standard output into a pipe; gives the
// reading end and sets |pid|.
int startWithPipe(const fs::path& dir, pid_t* pid) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  *pid = ::fork();
  if (*pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::chdir(dir.c_str()) != 0) ::_exit(101);
    ::dup2(in, 0);
    ::dup2(ends[1], 1);
    ::close(ends[0]);
    ::close(ends[1]);
    ::unsetenv("DISPLAY");
    const std::string binary = toolPath().string();
    ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    ::_exit(103);
  }
  ::close(ends[1]);
  return ends[0];
}

std::string readSome(int fd) {
  char buffer[65536];
  ssize_t n;
  do {
    n = ::read(fd, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

TEST(PipedRun, ReaderSeesProgressWhileLargeFilesAreStillBeingCopied) {
  // A few short lines, far less than a write's worth, and then files whose
  // copy lasts much longer than the output is held: the lines must not
  // wait for the final line.
  TempDir dir;
  dir.write("data/flist", "first.jpg\r\nbig1.jpg\r\nbig2.jpg\r\n");
  dir.write("data/first.jpg", "x");
  for (const char* big : {"data/big1.jpg", "data/big2.jpg"}) {
    dir.write(big, "");
    fs::resize_file(dir.path() / big, 256u << 20);  // sparse: quick to make
  }
  pid_t pid = -1;
  const int fd = startWithPipe(dir.path(), &pid);
  ASSERT_GE(fd, 0);
  ASSERT_GT(pid, 0);

  const std::string first = readSome(fd);
  std::string all = first;
  for (std::string more; !(more = readSome(fd)).empty();) all += more;
  ::close(fd);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(first.find(kFinal), std::string::npos)
      << "the first lines came only with the final line: " << first;
  EXPECT_EQ(first.compare(0, 11, "first.jpg\r\n"), 0) << first;
  const std::string once = "first.jpg\r\nbig1.jpg\r\nbig2.jpg\r\n";
  EXPECT_EQ(all, once + once + kFinal);
  EXPECT_EQ(fs::file_size(dir.path() / "velkoscr"), 1537u + (512u << 20));
}

TEST(PipedRun, WithoutADisplayNoX11LibraryIsLoaded) {
  // Read in the final pause, while the process is still there.
  TempDir dir;
  dir.write("data/flist", "a.jpg\r\n");
  pid_t pid = -1;
  const int fd = startWithPipe(dir.path(), &pid);
  ASSERT_GE(fd, 0);
  std::string seen;
  while (seen.find(kFinal) == std::string::npos) {
    const std::string more = readSome(fd);
    if (more.empty()) break;
    seen += more;
  }
  const std::string maps = readFile("/proc/" + std::to_string(pid) + "/maps");
  int status = 0;
  ::close(fd);
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_NE(seen.find(kFinal), std::string::npos) << seen;
  ASSERT_NE(maps.find("libc"), std::string::npos) << "read too late";
  EXPECT_EQ(maps.find("libX11"), std::string::npos) << maps;
  EXPECT_EQ(maps.find("libxcb"), std::string::npos) << maps;
}

}  // namespace
}  // namespace test
}  // namespace scrpack
