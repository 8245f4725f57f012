// The tool under things that only Linux lets a test arrange: a run held at
// a known point (tests/gated_run.h) while the test swaps, changes or kills,
// symbolic links, closed standard descriptors, a full disk, files that
// cannot be read to the end, and FIFOs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/expected_output.h"
#include "tests/gated_run.h"
#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

const std::string kReplaced =
    "velkoscr: replaced during the run; nothing written to it";

// The names in |dir| other than data/ and velkoscr: temporary packs.
std::vector<std::string> strayFiles(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "data" && name != "velkoscr") names.push_back(name);
  }
  return names;
}

std::string lines(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) out += name + "\r\n";
  return out;
}

// The pack is replaced by a symbolic link to another file while the
// directory pass has it open; the copy pass opens it again by name and
// must neither follow the link nor write anywhere.
TEST(HeldRun, PackSwappedForALinkIsNeverWrittenThrough) {
  struct Case {
    const char* name;
    bool inPlace;  // a read-only directory: no temporary file
  };
  for (const Case c : {Case{"temporary pack", false}, Case{"in place", true}}) {
    TempDir dir, elsewhere;
    dir.write("data/flist", "a\nb\n");
    dir.write("data/a", "aaa");
    dir.write("data/b", "bb");
    dir.write("velkoscr", "old pack");
    elsewhere.write("victim", "victim's bytes");
    ToolOptions options;
    if (c.inPlace) {
      makeWorldWritable(elsewhere.path() / "victim");
      makeWorldWritable(dir.path() / "velkoscr");
      makeReadOnly(dir.path());
      options.unprivileged = true;
    }
    GatedRun run(dir.path(), lines({"a"}).size(), options);
    ASSERT_TRUE(run.waitHeld()) << c.name;
    // Held before its second status line: the pack is open for the
    // directory pass.
    const std::vector<std::string> stray = strayFiles(dir.path());
    ASSERT_EQ(stray.size(), c.inPlace ? 0u : 1u) << c.name;
    const fs::path swapped = dir.path() / (c.inPlace ? "velkoscr" : stray[0]);
    fs::remove(swapped);
    fs::create_symlink(elsewhere.path() / "victim", swapped);
    const ToolRun result = run.finish();
    EXPECT_EQ(result.exitCode, 1) << c.name;
    EXPECT_EQ(result.output, lines({"a", "b", kReplaced, "a", "b"}) + kFinal)
        << c.name;
    EXPECT_EQ(elsewhere.read("victim"), "victim's bytes") << c.name;
    if (!c.inPlace) {
      EXPECT_EQ(dir.read("velkoscr"), "old pack") << c.name;
    }
  }
}

// A file grows or shrinks between the passes: it takes exactly its entry's
// size in the data area, so every later offset stays true.
TEST(HeldRun, FileChangedBetweenThePassesKeepsItsEntrysSize) {
  struct Case {
    const char* name;
    std::string now;
    std::string packed;
  };
  const Case cases[] = {{"grown", "AAAAAAA", "AAAA"},
                        {"cut", "A", std::string("A\0\0\0", 4)},
                        {"gone", "", std::string(4, '\0')}};
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("data/flist", "a\nb\n");
    dir.write("data/a", "aaaa");
    dir.write("data/b", "bb");
    GatedRun run(dir.path(), lines({"a", "b"}).size());
    ASSERT_TRUE(run.waitHeld()) << c.name;
    // Held before the copy pass's first status line: "a" is not yet open.
    dir.write("data/a", c.now);
    const ToolRun result = run.finish();
    EXPECT_EQ(result.exitCode, 1) << c.name;
    EXPECT_EQ(
        result.output,
        lines({"a", "b", "a",
               "a: changed while packing; packed as its entry says", "b"}) +
            kFinal)
        << c.name;
    const std::string pack = dir.read("velkoscr");
    EXPECT_EQ(pack.substr(0, 1536),
              packOf({{"a", "aaaa"}, {"b", "bb"}}).substr(0, 1536));
    EXPECT_EQ(pack.substr(1536), c.packed + "bb") << c.name;
  }
}

// Killed or interrupted at several points: velkoscr is always the old pack
// or the complete new one. A catchable signal during the packing ends the
// run at once with 128 + the signal and leaves no temporary file; in the
// final pause the pack is complete already.
TEST(HeldRun, InterruptedRunLeavesTheOldPackOrTheWholeNewOne) {
  const std::string newPack = packOf({{"a", "aaa"}, {"b", "bb"}});
  struct Point {
    const char* name;
    std::vector<std::string> before;  // lines let through
    bool packed;
  };
  const Point points[] = {
      {"before the first name", {}, false},
      {"between the passes", {"a", "b"}, false},
      {"in the copy pass", {"a", "b", "a"}, false},
      {"in the final pause",
       {"a", "b", "a", "b", "Jpeg files are packed to velkoscr"},
       true},
  };
  for (const Point& point : points) {
    for (int sig : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
      const std::string what =
          std::string(point.name) + ", signal " + std::to_string(sig);
      TempDir dir;
      dir.write("data/flist", "a\nb\n");
      dir.write("data/a", "aaa");
      dir.write("data/b", "bb");
      dir.write("velkoscr", "old pack");
      GatedRun run(dir.path(), lines(point.before).size());
      ASSERT_TRUE(run.waitHeld()) << what;
      run.signal(sig);
      const ToolRun result = run.finish();
      EXPECT_EQ(dir.read("velkoscr"), point.packed ? newPack : "old pack")
          << what;
      if (sig == SIGKILL) continue;  // a killed run cannot clean up
      EXPECT_EQ(strayFiles(dir.path()), std::vector<std::string>()) << what;
      if (!point.packed) {
        EXPECT_EQ(result.exitCode, 128 + sig) << what;
      } else if (sig != SIGINT) {
        EXPECT_EQ(result.exitCode, 0) << what << ": the pause ends";
      }
    }
  }
}

// Started with standard descriptors closed, the tool must not take one of
// them for its own files: the status text would land in the pack.
TEST(Descriptors, ClosedStandardDescriptorsNeverReachThePack) {
  for (const std::vector<int>& closed :
       {std::vector<int>{1}, std::vector<int>{0, 1, 2}}) {
    TempDir dir;
    dir.write("data/flist", "a\n");
    dir.write("data/a", "aaa");
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(dir.path().c_str()) != 0) ::_exit(101);
      ::unsetenv("DISPLAY");
      for (int fd : closed) ::close(fd);
      ::execl(toolPath().c_str(), "scrpack", static_cast<char*>(nullptr));
      ::_exit(103);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dir.read("velkoscr"), packOf({{"a", "aaa"}}));
    EXPECT_EQ(strayFiles(dir.path()), std::vector<std::string>());
  }
}

// A symbolic link under data/ leads a missing name nowhere: nothing is
// created through it, and its name is not found.
TEST(Links, MissingInputsAreNeverCreatedThroughALink) {
  TempDir dir, elsewhere;
  fs::create_directories(dir.path() / "data");
  fs::create_directory_symlink(elsewhere.path(), dir.path() / "data" / "out");
  fs::create_symlink(elsewhere.path() / "dangling.jpg",
                     dir.path() / "data" / "dangling.jpg");
  elsewhere.write("there.jpg", "T");
  dir.write("data/flist", "out/new.jpg\ndangling.jpg\nout/there.jpg\n");
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.output,
      passes({"out/new.jpg", "out/new.jpg: not found; packed with size 0",
              "dangling.jpg", "dangling.jpg: not found; packed with size 0",
              "out/there.jpg"},
             {"out/new.jpg", "dangling.jpg", "out/there.jpg"}));
  EXPECT_FALSE(elsewhere.exists("new.jpg"));
  EXPECT_FALSE(elsewhere.exists("dangling.jpg"));
  EXPECT_EQ(dir.read("velkoscr"), packOf({{"out/new.jpg", ""},
                                          {"dangling.jpg", ""},
                                          {"out/there.jpg", "T"}}));
}

// FIFOs and devices are looked at, never opened for writing: inotify sees
// every open of the FIFO.
TEST(Links, FifosAndDevicesAreNotOpened) {
  TempDir dir;
  fs::create_directories(dir.path() / "data");
  const fs::path fifo = dir.path() / "data" / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  fs::create_symlink("/dev/null", dir.path() / "data" / "null");
  dir.write("data/flist", "fifo\nnull\n");
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);
  const ToolRun result = runTool(dir.path());
  char events[4096];
  const ssize_t seen = ::read(watch, events, sizeof events);
  ::close(watch);
  EXPECT_LE(seen, 0) << "the FIFO was opened";
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            passes({"fifo", "fifo: cannot be read; packed with size 0", "null",
                    "null: cannot be read; packed with size 0"},
                   {"fifo", "null"}));
}

// A sysfs file says 4096 bytes but gives fewer: the rest is packed as zero
// bytes and said.
TEST(ReadFailures, InputThatEndsEarlyIsPaddedAndSaid) {
  const fs::path source = "/sys/kernel/mm/transparent_hugepage/enabled";
  std::error_code error;
  if (fs::file_size(source, error) != 4096 || error) {
    GTEST_SKIP() << "no sysfs file of 4096 bytes here";
  }
  const std::string contents = readFile(source);
  TempDir dir;
  fs::create_directories(dir.path() / "data");
  fs::create_symlink(source, dir.path() / "data" / "sys");
  dir.write("data/flist", "sys\n");
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.output,
      passes({"sys"}, {"sys",
                       "sys: read failed; zero bytes packed in place of the "
                       "unread ones"}));
  std::string padded = contents;
  padded.resize(4096, '\0');
  EXPECT_EQ(dir.read("velkoscr"), packOf({{"sys", padded}}));
}

// /proc/self/mem cannot be read at its first byte: a real I/O error.
TEST(ReadFailures, ListThatCannotBeReadEndsThereAndIsSaidOnce) {
  TempDir dir;
  fs::create_directories(dir.path() / "data");
  fs::create_symlink("/proc/self/mem", dir.path() / "data" / "flist");
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            "data/flist: read failed (Input/output error); the list ends "
            "here\r\n" +
                kFinal);
  EXPECT_EQ(dir.read("velkoscr"), std::string(1536, '\0'));
}

// A full disk, for real: a small tmpfs as the working directory, with the
// pictures on another file system.
class DiskFull : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    if (::mount("scrpack-test", dir_.path().c_str(), "tmpfs", 0,
                "size=64k,mode=0777") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    mounted_ = true;
    pictures_.write("big.jpg", std::string(200000, 'B'));
    fs::create_directory_symlink(pictures_.path(), dir_.path() / "data");
    pictures_.write("flist", "big.jpg\n");
    makeWorldWritable(pictures_.path());
  }
  void TearDown() override {
    if (mounted_) ::umount(dir_.path().c_str());
  }

  TempDir dir_, pictures_;
  bool mounted_ = false;
};

TEST_F(DiskFull, TemporaryPackIsDroppedAndTheOldOneStays) {
  dir_.write("velkoscr", "old pack");
  const ToolRun result = runTool(dir_.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            lines({"big.jpg", "big.jpg",
                   "velkoscr: write failed (No space left on device); "
                   "velkoscr left as it was"}) +
                kFinal);
  EXPECT_EQ(dir_.read("velkoscr"), "old pack");
  EXPECT_EQ(strayFiles(dir_.path()), std::vector<std::string>());
}

TEST_F(DiskFull, PackWrittenInPlaceIsSaidToBeIncomplete) {
  dir_.write("velkoscr", "old pack");
  makeWorldWritable(dir_.path() / "velkoscr");
  makeReadOnly(dir_.path());
  ToolOptions options;
  options.unprivileged = true;
  const ToolRun result = runTool(dir_.path(), options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            lines({"big.jpg", "big.jpg",
                   "velkoscr: write failed (No space left on device); the "
                   "pack is incomplete"}) +
                kFinal);
  EXPECT_EQ(dir_.read("velkoscr").substr(0, 96),
            packOf({{"big.jpg", std::string(200000, 'B')}}).substr(0, 96));
}

// One line of 1 GiB without a line end, in a sparse file: the name keeps
// 32768 bytes and the run ends as usual (bench/ measures its memory).
TEST(LongLines, GigabyteLineIsCutAndTheRunEnds) {
  TempDir dir;
  fs::create_directories(dir.path() / "data");
  {
    const std::string list = (dir.path() / "data" / "flist").string();
    FILE* f = std::fopen(list.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputc('a', f);
    std::fseek(f, (1L << 30) - 1, SEEK_SET);
    std::fputc('z', f);
    std::fclose(f);
  }
  const ToolRun result = runTool(dir.path());
  const std::string shown = "a" + std::string(32767, '\0') + "...";
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.output,
      passes({shown, shown + ": name too long; packed with size 0"}, {shown}));
  EXPECT_EQ(dir.read("velkoscr"), packOf({{"a", ""}}));
}

}  // namespace
}  // namespace test
}  // namespace scrpack
