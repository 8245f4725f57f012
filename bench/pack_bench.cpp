// scrpack against the floor of its format, and the old build against the
// new, with the status output going to a file, to a pipe read by a reader
// that blocks, to a terminal (tmux) and to the status window (Xvfb).
//
// Makes each input set in a temporary directory, then runs every program
// and output in turn, the order rotated from one round to the next, with
// the old pack deleted and the disks synced before each run. Prints one
// table of medians:
//   - seconds to the final line: scrpack's whole run less its 1500 ms
//     pause (the run has a timer slack of 1 ns, so the pause lasts what it
//     asks for); the floor program's whole run,
//   - /floor: the median of each round's ratio to the floor program,
//   - /file: the median ratio to the same program's run with output to a
//     file, for the terminal and the window,
//   - the highest peak RSS (VmHWM) and private memory (Private_Clean +
//     Private_Dirty) seen in /proc while the program ran.
//
// usage: pack_bench [-r ROUNDS] [-s SETS] [-m OUTPUTS] [-o OLD] SCRPACK
//   ROUNDS   rounds per set (3)
//   SETS     any of 1g,32m,100k,1k,empty, comma separated (all)
//   OUTPUTS  any of file,pipe,terminal,window, comma separated (all)
//   OLD      an older scrpack to compare with (none)
#include <stdlib.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/measure.h"
#include "tests/xvfb.h"

namespace fs = std::filesystem;
using scrpack::bench::Measured;
using scrpack::bench::Output;

namespace {

constexpr double kPauseSeconds = 1.5;

struct InputSet {
  const char* key;
  const char* label;
  int files;
  size_t fileBytes;
};

const InputSet kSets[] = {
    {"1g", "1 x 1 GiB", 1, size_t{1} << 30},
    {"32m", "31 x 32 MiB", 31, size_t{32} << 20},
    {"100k", "10000 x 100 KiB", 10000, size_t{100} << 10},
    {"1k", "100000 x 1 KiB", 100000, size_t{1} << 10},
    {"empty", "10000 empty", 10000, 0},
};

struct Program {
  std::string label;  // "floor", "new", "old"
  std::string path;
  bool scrpack;
};

struct Job {
  const Program* program;
  std::string output;  // "file", "pipe", "terminal", "window"
};

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  return parts;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Writes the set's files and list; gives the size the pack must have.
uintmax_t makeInput(const fs::path& dir, const InputSet& set) {
  fs::create_directories(dir / "data");
  std::string list;
  std::vector<char> block(set.fileBytes);
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<char>(i * 131 + 7);
  for (int i = 0; i < set.files; ++i) {
    const std::string name = "pic" + std::to_string(i) + ".jpg";
    list += name + "\r\n";
    std::ofstream out(dir / "data" / name, std::ios::binary);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  std::ofstream(dir / "data" / "flist", std::ios::binary) << list;
  return 1536 + static_cast<uintmax_t>(set.files) * set.fileBytes;
}

// Runs |program| in a fresh tmux pane through this benchmark's own
// measuring mode, and reads what it measured.
Measured measureInTmux(const std::string& self, const Program& program,
                       const fs::path& dir) {
  const fs::path result = dir / "bench-result";
  fs::remove(result);
  const std::string socket = "pack-bench-" + std::to_string(::getpid());
  const std::string command = "env LC_ALL=C.UTF-8 '" + self + "' --measure '" +
                              dir.string() + "' '" + result.string() + "' '" +
                              program.path + "'";
  const std::string start = "tmux -L " + socket +
                            " -f /dev/null new-session -d -x 80 -y 24 \"" +
                            command + "\"";
  Measured measured;
  if (std::system(start.c_str()) != 0) return measured;
  for (int waited = 0; waited < 600000 && !fs::exists(result); waited += 20)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // written out
  std::ifstream(result) >> measured.ok >> measured.seconds >>
      measured.peakRssKiB >> measured.privateKiB;
  std::system(("tmux -L " + socket + " kill-server 2>/dev/null").c_str());
  return measured;
}

std::string conditions(int rounds) {
  char when[64];
  const std::time_t now = std::time(nullptr);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  struct utsname system;
  ::uname(&system);
  double load[1] = {0};
  ::getloadavg(load, 1);
  char line[256];
  std::snprintf(line, sizeof line,
                "%s, Linux %s, %ld cores, load %.2f at start, %d rounds, "
                "page cache warm, sync before each run",
                when, system.release, ::sysconf(_SC_NPROCESSORS_ONLN), load[0],
                rounds);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = fs::canonical("/proc/self/exe").string();
  if (argc == 5 && std::string(argv[1]) == "--measure") {
    // Inside tmux: measure with the terminal as standard output.
    const Measured m = scrpack::bench::measure(argv[4], argv[2],
                                               Output::kInherit, std::string());
    std::ofstream(argv[3]) << m.ok << " " << m.seconds << " " << m.peakRssKiB
                           << " " << m.privateKiB << "\n";
    return 0;
  }
  int rounds = 3;
  std::vector<std::string> setKeys = {"1g", "32m", "100k", "1k", "empty"};
  std::vector<std::string> outputs = {"file", "pipe", "terminal", "window"};
  std::string old;
  int opt;
  while ((opt = ::getopt(argc, argv, "r:s:m:o:")) != -1) {
    if (opt == 'r') rounds = std::max(1, std::atoi(optarg));
    if (opt == 's') setKeys = split(optarg);
    if (opt == 'm') outputs = split(optarg);
    if (opt == 'o') old = fs::canonical(optarg).string();
    if (opt == '?') return 2;
  }
  if (optind + 1 != argc) {
    std::fprintf(stderr,
                 "usage: %s [-r ROUNDS] [-s SETS] [-m OUTPUTS] [-o OLD] "
                 "SCRPACK\n",
                 argv[0]);
    return 2;
  }
  std::vector<Program> programs = {
      {"floor", fs::path(self).parent_path() / "pack_floor", false},
      {"new", fs::canonical(argv[optind]).string(), true}};
  if (!old.empty()) programs.push_back({"old", old, true});

  std::unique_ptr<scrpack::test::Xvfb> server;
  if (std::count(outputs.begin(), outputs.end(), "window")) {
    server = std::make_unique<scrpack::test::Xvfb>();
    if (!server->started()) {
      std::fprintf(stderr, "pack_bench: Xvfb did not start\n");
      return 1;
    }
  }
  const fs::path root = fs::temp_directory_path() /
                        ("scrpack-bench-" + std::to_string(::getpid()));
  std::printf("%s\n", conditions(rounds).c_str());
  std::printf("%-16s %-8s %-5s %9s %7s %7s %9s %9s\n", "set", "output", "prog",
              "final s", "/floor", "/file", "RSS MiB", "priv MiB");
  for (const std::string& key : setKeys) {
    const InputSet* set = nullptr;
    for (const InputSet& s : kSets)
      if (key == s.key) set = &s;
    if (!set) {
      std::fprintf(stderr, "pack_bench: no set %s\n", key.c_str());
      continue;
    }
    const fs::path dir = root / key;
    fs::remove_all(dir);
    const uintmax_t packSize = makeInput(dir, *set);
    std::vector<Job> jobs = {{&programs[0], "file"}};
    for (const std::string& output : outputs)
      for (size_t p = 1; p < programs.size(); ++p)
        jobs.push_back({&programs[p], output});
    // Seconds and memory per job, one entry per round.
    std::map<std::string, std::vector<Measured>> runs;
    const auto jobKey = [](const Program& p, const std::string& output) {
      return p.label + " " + output;
    };
    measureInTmux(self, programs[1], dir);  // warms the cache and tmux
    for (int round = 0; round < rounds; ++round) {
      std::rotate(jobs.begin(), jobs.begin() + 1, jobs.end());
      for (const Job& job : jobs) {
        fs::remove(dir / "velkoscr");
        ::sync();
        Measured m;
        if (job.output == "terminal") {
          m = measureInTmux(self, *job.program, dir);
        } else {
          m = scrpack::bench::measure(
              job.program->path, dir.string(),
              job.output == "pipe" ? Output::kPipe : Output::kFile,
              job.output == "window" ? server->name() : std::string());
        }
        if (job.program->scrpack) m.seconds -= kPauseSeconds;
        std::error_code error;
        if (!m.ok || fs::file_size(dir / "velkoscr", error) != packSize) {
          std::fprintf(stderr, "pack_bench: %s %s on %s went wrong\n",
                       job.program->label.c_str(), job.output.c_str(),
                       key.c_str());
        }
        runs[jobKey(*job.program, job.output)].push_back(m);
      }
    }
    std::vector<Job> rows = {{&programs[0], "file"}};
    for (const std::string& output : outputs)
      for (size_t p = 1; p < programs.size(); ++p)
        rows.push_back({&programs[p], output});
    for (const Job& row : rows) {
      const std::vector<Measured>& mine =
          runs[jobKey(*row.program, row.output)];
      const std::vector<Measured>& floor = runs[jobKey(programs[0], "file")];
      const std::vector<Measured>& file = runs[jobKey(*row.program, "file")];
      std::vector<double> seconds, toFloor, toFile;
      long rss = 0, priv = 0;
      for (size_t i = 0; i < mine.size(); ++i) {
        seconds.push_back(mine[i].seconds);
        toFloor.push_back(mine[i].seconds / floor[i].seconds);
        if (i < file.size())
          toFile.push_back(mine[i].seconds / file[i].seconds);
        rss = std::max(rss, mine[i].peakRssKiB);
        priv = std::max(priv, mine[i].privateKiB);
      }
      char fileRatio[16] = "";
      if (row.output == "terminal" || row.output == "window")
        std::snprintf(fileRatio, sizeof fileRatio, "%.2f", median(toFile));
      std::printf("%-16s %-8s %-5s %9.3f %7.2f %7s %9.2f %9.2f\n", set->label,
                  row.output.c_str(), row.program->label.c_str(),
                  median(seconds), median(toFloor), fileRatio,
                  static_cast<double>(rss) / 1024.0,
                  static_cast<double>(priv) / 1024.0);
    }
    std::fflush(stdout);
    fs::remove_all(dir);
  }
  fs::remove_all(root);
  return 0;
}
