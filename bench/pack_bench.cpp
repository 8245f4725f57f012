// Packing speed and memory against cat.
//
// Makes its own input in a temporary directory, then alternates runs of
// scrpack (output redirected, as a process) and of cat writing the same
// files into one file, and prints medians:
//   - MB/s of scrpack up to its final line (the final pause excluded) and
//     for the whole process (the 1500 ms pause included),
//   - MB/s of cat and the ratio scrpack / cat (<= 1.0 means no slower),
//   - scrpack's peak resident set size.
//
// usage: pack_bench path/to/scrpack [repetitions]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct InputSet {
  const char* name;
  int files;
  size_t fileBytes;
};

struct Run {
  double untilFinalLine = 0;  // seconds
  double whole = 0;           // seconds
  long peakRssKiB = 0;
};

double seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void makeInput(const fs::path& dir, const InputSet& set) {
  fs::create_directories(dir / "data");
  std::string list;
  std::vector<char> block(set.fileBytes);
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<char>(i * 131 + 7);
  for (int i = 0; i < set.files; ++i) {
    const std::string name = "pic" + std::to_string(i) + ".jpg";
    list += name + "\r\n";
    FILE* f = std::fopen((dir / "data" / name).c_str(), "wb");
    if (!f) std::exit(2);
    std::fwrite(block.data(), 1, block.size(), f);
    std::fclose(f);
  }
  FILE* f = std::fopen((dir / "data" / "flist").c_str(), "wb");
  if (!f) std::exit(2);
  std::fwrite(list.data(), 1, list.size(), f);
  std::fclose(f);
}

// Runs scrpack in |dir| with its output in a pipe, noting when the final
// line arrives.
Run runTool(const std::string& binary, const fs::path& dir) {
  // Both start without an old output file, as for cat below.
  fs::remove(dir / "velkoscr");
  ::sync();  // no writeback of the previous run's gigabyte during this one
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
  Run run;
  std::string seen;
  char buffer[65536];
  ssize_t n;
  // Read in 1 ms steps rather than waking on every status line: the tool
  // should pay for its writes, not for a reader's wake-ups.
  while (::usleep(1000), (n = ::read(out[0], buffer, sizeof buffer)) > 0) {
    seen.append(buffer, static_cast<size_t>(n));
    if (run.untilFinalLine == 0 &&
        seen.find("Jpeg files are packed to velkoscr\r\n") !=
            std::string::npos) {
      run.untilFinalLine = seconds(start);
    }
    if (seen.size() > 4096) seen.erase(0, seen.size() - 64);
  }
  ::close(out[0]);
  int status = 0;
  struct rusage usage;
  ::wait4(pid, &status, 0, &usage);
  run.whole = seconds(start);
  run.peakRssKiB = usage.ru_maxrss;
  return run;
}

double runCat(const fs::path& dir, int files) {
  std::vector<std::string> args = {"cat"};
  for (int i = 0; i < files; ++i)
    args.push_back("data/pic" + std::to_string(i) + ".jpg");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  fs::remove(dir / "catout");
  ::sync();
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(2);
    const int out = ::open("catout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::execvp("cat", argv.data());
    ::_exit(3);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s path/to/scrpack [repetitions]\n", argv[0]);
    return 2;
  }
  const std::string binary = fs::absolute(argv[1]).string();
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const InputSet sets[] = {
      {"31 files of 32 MiB", 31, size_t{32} << 20},
      {"10000 files of 100 KiB", 10000, size_t{100} << 10},
  };
  const fs::path root = fs::temp_directory_path() /
                        ("scrpack-bench-" + std::to_string(::getpid()));
  for (const InputSet& set : sets) {
    const fs::path dir = root / "work";
    fs::remove_all(dir);
    makeInput(dir, set);
    const double megabytes =
        static_cast<double>(set.files) * static_cast<double>(set.fileBytes) / 1e6;
    std::vector<double> untilFinal, whole, cat, ratios;
    long peakRss = 0;
    runTool(binary, dir);  // warm the page cache
    for (int i = 0; i < repetitions; ++i) {
      const Run run = runTool(binary, dir);
      const double catSeconds = runCat(dir, set.files);
      untilFinal.push_back(run.untilFinalLine);
      whole.push_back(run.whole);
      cat.push_back(catSeconds);
      ratios.push_back(run.untilFinalLine / catSeconds);
      peakRss = std::max(peakRss, run.peakRssKiB);
    }
    std::printf("%s (%.0f MB), median of %d:\n", set.name, megabytes,
                repetitions);
    std::printf("  scrpack up to the final line  %8.1f MB/s  (%.3f s)\n",
                megabytes / median(untilFinal), median(untilFinal));
    std::printf("  scrpack whole process         %8.1f MB/s  (%.3f s)\n",
                megabytes / median(whole), median(whole));
    std::printf("  cat                           %8.1f MB/s  (%.3f s)\n",
                megabytes / median(cat), median(cat));
    std::printf("  time ratio scrpack / cat      %8.2f   (target <= 1.0)\n",
                median(ratios));
    std::printf("  peak RSS                      %8.2f MiB (target < 4 MiB)\n",
                static_cast<double>(peakRss) / 1024.0);
    std::fflush(stdout);
    fs::remove_all(dir);
  }
  fs::remove_all(root);
  return 0;
}
