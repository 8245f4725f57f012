// Memory and time for a list whose one line is 1 GiB long (a sparse file
// without a line end), against a list of one short name.
//
// The peak resident set size is VmHWM from /proc/PID/status, read once the
// final line has arrived: the packing is over, and the process still lives
// through its final pause.
//
// usage: long_line_bench path/to/scrpack
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
  double seconds = 0;  // up to the final line
  long peakKiB = -1;
};

long peakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

Figures measure(const std::string& binary, const fs::path& dir) {
  int out[2];
  if (::pipe(out) != 0) std::exit(2);
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    if (::chdir(dir.c_str()) != 0) ::_exit(2);
    ::unsetenv("DISPLAY");
    ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    ::_exit(3);
  }
  ::close(out[1]);
  Figures figures;
  std::string tail;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
    tail.append(buffer, static_cast<size_t>(n));
    if (tail.size() > 256) tail.erase(0, tail.size() - 256);
    if (tail.find("Jpeg files are packed to velkoscr\r\n") !=
        std::string::npos) {
      figures.seconds =
          std::chrono::duration<double>(Clock::now() - start).count();
      figures.peakKiB = peakKiB(pid);
      ::kill(pid, SIGTERM);  // ends the pause
      break;
    }
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return figures;
}

void writeList(const fs::path& dir, bool gigabyteLine) {
  fs::create_directories(dir / "data");
  const std::string list = (dir / "data" / "flist").string();
  FILE* f = std::fopen(list.c_str(), "wb");
  if (!f) std::exit(2);
  if (gigabyteLine) {
    std::fputc('a', f);
    std::fseek(f, (1L << 30) - 1, SEEK_SET);
    std::fputc('z', f);
  } else {
    std::fputs("a\r\n", f);
  }
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s path/to/scrpack\n", argv[0]);
    return 2;
  }
  const std::string binary = fs::absolute(argv[1]).string();
  const fs::path root = fs::temp_directory_path() /
                        ("scrpack-long-line-" + std::to_string(::getpid()));
  for (bool gigabyteLine : {false, true}) {
    fs::remove_all(root);
    writeList(root, gigabyteLine);
    const Figures f = measure(binary, root);
    std::printf("%-30s peak RSS %8.2f MiB, %6.2f s to the final line\n",
                gigabyteLine ? "one line of 1 GiB:" : "one short name:",
                static_cast<double>(f.peakKiB) / 1024.0, f.seconds);
  }
  fs::remove_all(root);
  return 0;
}
