// Problem lines and arguments, on every platform: the tool as a process in
// a temporary working directory, its output bytes, exit status and pack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/expected_output.h"
#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

size_t entriesIn(const fs::path& dir) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    (void)entry;
    ++count;
  }
  return count;
}

// --help and --version answer without packing: no window, no file touched,
// no pause. Anything else is ignored, as a file dropped on the program is.
TEST(Arguments, HelpAndVersionAnswerAndTouchNothing) {
  const std::string version = "scrpack " SCRPACK_VERSION "\n";
  struct Case {
    std::string argument;
    bool help;
  };
  const Case cases[] = {
      {"--help", true}, {"-h", true}, {"/?", true}, {"--version", false}};
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("data/flist", "a\n");
    dir.write("data/a", "aaa");
    dir.write("velkoscr", "old pack");
    ToolOptions options;
    options.arguments = {c.argument};
    const ToolRun result = runTool(dir.path(), options);
    EXPECT_EQ(result.exitCode, 0) << c.argument;
    std::string output = result.output;
#ifdef _WIN32
    // The C runtime writes text: each line ends in CR LF.
    for (size_t at = output.find("\r\n"); at != std::string::npos;
         at = output.find("\r\n", at)) {
      output.erase(at, 1);
    }
#endif
    if (c.help) {
      EXPECT_EQ(output.rfind("Usage: scrpack", 0), 0u) << output;
      EXPECT_NE(output.find(kList), std::string::npos) << output;
      EXPECT_NE(output.find("Exit status"), std::string::npos) << output;
    } else {
      EXPECT_EQ(output, version);
    }
    EXPECT_EQ(dir.read("velkoscr"), "old pack") << c.argument;
    EXPECT_EQ(entriesIn(dir.path()), 2u) << c.argument;
#ifndef _WIN32
    EXPECT_LT(result.seconds, 1.0) << c.argument << ": no pause";
#endif
  }
}

TEST(Arguments, OtherArgumentsAreIgnored) {
  TempDir dir;
  dir.write("data/flist", "a\n");
  dir.write("data/a", "aaa");
  ToolOptions options;
  options.arguments = {"C:\\pictures\\dropped.jpg", "--helpful"};
  const ToolRun result = runTool(dir.path(), options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, linesOf({"a"}));
  EXPECT_EQ(dir.read("velkoscr"), packOf({{"a", "aaa"}}));
}

// When several rows apply to one name, each gives its line, in the order
// of the table; an empty name gets only its own line.
TEST(ProblemLines, SeveralForOneNameComeInTableOrder) {
  TempDir dir;
  std::string list;
  std::vector<std::string> directoryPass, copyPass;
  std::vector<Entry> entries;
  for (int i = 1; i <= 29; ++i) {
    const std::string name = "f" + std::to_string(i);
    dir.write("data/" + name, name);
    list += name + "\n";
    directoryPass.push_back(name);
    copyPass.push_back(name);
    entries.push_back({name, name});
  }
  // Slots 30 and 31: the same first 39 bytes, neither file there.
  const std::string p1 = std::string(39, 'p') + "1";
  const std::string p2 = std::string(39, 'p') + "2";
  list += p1 + "\n" + p2 + "\n\n\nlost\n";
  directoryPass.insert(
      directoryPass.end(),
      {p1, p1 + ": not found; packed with size 0", p2,
       p2 + ": not found; packed with size 0",
       p2 + ": same entry name as an earlier file", "",
       "(empty line): packed with size 0", "",
       "(empty line): packed with size 0", "lost",
       "lost: not found; packed with size 0",
       "lost: no directory slot left; packed without an entry"});
  copyPass.insert(copyPass.end(), {p1, p2, "", "", "lost"});
  entries.push_back({std::string(39, 'p'), ""});
  entries.push_back({std::string(39, 'p'), ""});
  dir.write("data/flist", list);
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, passes(directoryPass, copyPass));
  // The empty names, the 32nd and 33rd, have no slot and take no room.
  EXPECT_EQ(dir.read("velkoscr"), packOf(entries));
}

// A name keeps at most 32768 bytes; a longer one is not opened, and its
// status lines show the kept bytes followed by "...".
TEST(ProblemLines, OverlongNameIsCutAndPackedEmpty) {
  TempDir dir;
  const std::string kept(32768, 'n');
  dir.write("data/flist", kept + std::string(10000, 'm') + "\nb\n");
  dir.write("data/b", "bb");
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            passes({kept + "...",
                    kept + "...: name too long; packed with size 0", "b"},
                   {kept + "...", "b"}));
  EXPECT_EQ(dir.read("velkoscr"),
            packOf({{std::string(39, 'n'), ""}, {"b", "bb"}}));
}

// A missing input is created only inside data/: a name that climbs out
// with ".." is still read when it exists, but never created.
TEST(ProblemLines, NamesOutsideTheDataDirectoryAreNeverCreated) {
  TempDir dir;
  dir.write("data/flist", "../outside.jpg\nsub/../../x.jpg\n../there.jpg\n");
  dir.write("there.jpg", "T");
  const ToolRun result = runTool(dir.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.output,
      passes({"../outside.jpg", "../outside.jpg: not found; packed with size 0",
              "sub/../../x.jpg",
              "sub/../../x.jpg: not found; packed with size 0", "../there.jpg"},
             {"../outside.jpg", "sub/../../x.jpg", "../there.jpg"}));
  EXPECT_FALSE(dir.exists("outside.jpg"));
  EXPECT_FALSE(dir.exists("x.jpg"));
  EXPECT_FALSE(dir.exists("data/sub"));
  EXPECT_EQ(dir.read("velkoscr"), packOf({{"../outside.jpg", ""},
                                          {"sub/../../x.jpg", ""},
                                          {"../there.jpg", "T"}}));
}

}  // namespace
}  // namespace test
}  // namespace scrpack
