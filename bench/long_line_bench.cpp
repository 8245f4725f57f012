// Memory and time for a list whose one line is 1 GiB long (a sparse file
// without a line end), against a list of one short name.
//
// usage: long_line_bench path/to/scrpack
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/measure.h"

namespace fs = std::filesystem;

namespace {

// The final pause, which the time to the final line leaves out.
constexpr double kPauseSeconds = 1.5;

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
    const scrpack::bench::Measured m = scrpack::bench::measure(
        binary, root.string(), scrpack::bench::Output::kPipe, std::string());
    if (!m.ok) {
      std::fprintf(stderr, "long_line_bench: the run went wrong\n");
      return 1;
    }
    std::printf(
        "%-20s peak RSS %6.2f MiB, private %6.2f MiB, %6.2f s to the "
        "final line\n",
        gigabyteLine ? "one line of 1 GiB:" : "one short name:",
        static_cast<double>(m.peakRssKiB) / 1024.0,
        static_cast<double>(m.privateKiB) / 1024.0, m.seconds - kPauseSeconds);
  }
  fs::remove_all(root);
  return 0;
}
