// The tool as a user runs it: a working directory with data/flist, the
// binary started as a process with its output redirected, and the pack,
// the files left in data/ and the output bytes checked afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/expected_output.h"
#include "tests/hex.h"
#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

class PackRun : public ::testing::Test {
 protected:
  ToolRun run(const ToolOptions& options = ToolOptions(), int exitCode = 0) {
    ToolRun result = runTool(dir_.path(), options);
    EXPECT_EQ(result.exitCode, exitCode);
    return result;
  }
  ToolRun runWithProblems(const ToolOptions& options = ToolOptions()) {
    return run(options, 1);
  }
  std::string pack() const { return dir_.read("velkoscr"); }

  TempDir dir_;
};

TEST_F(PackRun, OneFileInCapitals) {
  dir_.write("data/flist", "Cat.JPG\r\n");
  dir_.write("data/Cat.JPG", "0123456789");
  const ToolRun result = run();
  EXPECT_EQ(result.output, linesOf({"Cat.JPG"}));
  const std::string bytes = pack();
  ASSERT_EQ(bytes.size(), 1546u);
  EXPECT_EQ(toHex(bytes.substr(48, 48)), toHex(slot("cat.jpg", 1536, 10)));
  EXPECT_EQ(bytes, packOf({{"cat.jpg", "0123456789"}}));
}

TEST_F(PackRun, EmptyListGivesTheEmptyDirectory) {
  dir_.write("data/flist", "");
  const ToolRun result = run();
  EXPECT_EQ(result.output, kFinal);
  EXPECT_EQ(pack(), std::string(1536, '\0'));
}

// Run in the wrong directory: nothing is deleted or written, and the old
// pack stays byte for byte; a missing one stays missing.
TEST_F(PackRun, MissingListLeavesThePackAsItWas) {
  struct Case {
    const char* name;
    bool dataDir;
    const char* oldPack;  // null: none
  };
  const Case cases[] = {
      {"no list, old pack", true, "old pack bytes"},
      {"no data directory, old pack", false, "old pack bytes"},
      {"no data directory, no pack", false, nullptr},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.dataDir) fs::create_directory(dir.path() / "data");
    if (c.oldPack) dir.write("velkoscr", c.oldPack);
    const ToolRun result = runTool(dir.path());
    EXPECT_EQ(result.exitCode, 1) << c.name;
    EXPECT_EQ(result.output, noList(!c.dataDir) + kFinal) << c.name;
    EXPECT_EQ(dir.exists("velkoscr"), c.oldPack != nullptr) << c.name;
    if (c.oldPack) {
      EXPECT_EQ(dir.read("velkoscr"), c.oldPack) << c.name;
    }
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      (void)entry;
      ++entries;
    }
    EXPECT_EQ(entries, (c.dataDir ? 1u : 0u) + (c.oldPack ? 1u : 0u))
        << c.name << ": no temporary file left";
  }
}

TEST_F(PackRun, SeveralFilesChainTheirOffsets) {
  // Subdirectories through slashes, a name listed twice, a byte order mark,
  // CR LF and LF lines, zero bytes after a name, and the end mark 0x1A.
  dir_.write("data/flist",
             std::string("pics/A.jpg\r\nb.JPG\nb.JPG\r\n\xEF\xBB\xBFx\n"
                         "c.jpg\0\0\x1Aignored\n",
                         38));
  dir_.write("data/pics/A.jpg", "aaaa");
  dir_.write("data/b.JPG", "bb");
  dir_.write("data/\xEF\xBB\xBFx", "");
  dir_.write("data/c.jpg", std::string(300000, 'c'));
  const ToolRun result = runWithProblems();
  const std::vector<std::string> names = {"pics/A.jpg", "b.JPG", "b.JPG",
                                          "\xEF\xBB\xBFx", "c.jpg"};
  EXPECT_EQ(result.output, passes({"pics/A.jpg", "b.JPG", "b.JPG",
                                   "b.JPG: same entry name as an earlier file",
                                   "\xEF\xBB\xBFx", "c.jpg"},
                                  names));
  EXPECT_EQ(pack(), packOf({{"pics/a.jpg", "aaaa"},
                            {"b.jpg", "bb"},
                            {"b.jpg", "bb"},
                            {"\xEF\xBB\xBFx", ""},
                            {"c.jpg", std::string(300000, 'c')}}));
}

TEST_F(PackRun, ManyLinesArriveWholeAndInOrder) {
  // Far more output than one write takes, in lines of many lengths; the
  // names after the 31st each add a problem line.
  std::string list;
  std::vector<std::string> directoryPass;
  std::vector<std::string> copyPass;
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "n" +
                             std::string(static_cast<size_t>(i % 97),
                                         static_cast<char>('a' + i % 26)) +
                             std::to_string(i);
    dir_.write("data/" + name, "");
    list += name + "\r\n";
    directoryPass.push_back(name);
    if (i >= 31) {
      directoryPass.push_back(
          name + ": no directory slot left; packed without an entry");
    }
    copyPass.push_back(name);
  }
  dir_.write("data/flist", list);
  EXPECT_EQ(runWithProblems().output, passes(directoryPass, copyPass));
}

TEST_F(PackRun, MissingInputIsCreatedEmptyAndTakesNoRoom) {
  dir_.write("data/flist", "gone.jpg\nhere.jpg\n");
  dir_.write("data/here.jpg", "hhh");
  const ToolRun result = runWithProblems();
  EXPECT_EQ(result.output,
            passes({"gone.jpg", "gone.jpg: not found; packed with size 0",
                    "here.jpg"},
                   {"gone.jpg", "here.jpg"}));
  EXPECT_TRUE(dir_.exists("data/gone.jpg"));
  EXPECT_EQ(dir_.read("data/gone.jpg"), "");
  EXPECT_EQ(pack(), packOf({{"gone.jpg", ""}, {"here.jpg", "hhh"}}));
}

TEST_F(PackRun, InputsThatCannotBeOpenedCountAsEmpty) {
  // A directory, an empty name (the data directory itself), a path through
  // a directory that does not exist, and a name cut by a zero byte.
  dir_.write("data/flist",
             std::string("sub\n\nnodir/x.jpg\nab\0cd\nlast\n", 27));
  fs::create_directories(dir_.path() / "data" / "sub");
  dir_.write("data/ab", "AB");
  dir_.write("data/last", "L");
  const ToolRun result = runWithProblems();
  const std::string cut("ab\0cd", 5);
  EXPECT_EQ(result.output,
            passes({"sub",
                    "sub: cannot be read (" + isADirectory() +
                        "); packed with size 0",
                    "", "(empty line): packed with size 0", "nodir/x.jpg",
                    "nodir/x.jpg: not found; packed with size 0", cut, "last"},
                   {"sub", "", "nodir/x.jpg", cut, "last"}));
  EXPECT_EQ(pack(), packOf({{"sub", ""},
                            {"", ""},
                            {"nodir/x.jpg", ""},
                            {std::string("ab\0cd", 5), "AB"},
                            {"last", "L"}}));
  EXPECT_FALSE(dir_.exists("data/nodir"));
  EXPECT_TRUE(fs::is_directory(dir_.path() / "data" / "sub"));
}

TEST_F(PackRun, LongNamesKeepThirtyNineBytes) {
  const std::string name40 = std::string(39, 'N') + "X";
  dir_.write("data/flist", name40 + "\n");
  dir_.write("data/" + name40, "z");
  run();
  EXPECT_EQ(pack(), packOf({{std::string(39, 'n'), "z"}}));
}

TEST_F(PackRun, DirectoryIsFullAfterThirtyOneEntries) {
  std::string list;
  std::vector<Entry> first31;
  std::string allData;
  std::vector<std::string> directoryPass, copyPass;
  for (int i = 1; i <= 40; ++i) {
    const std::string name = "f" + std::to_string(i);
    const std::string contents(static_cast<size_t>(i),
                               static_cast<char>('A' + i % 26));
    list += name + "\n";
    directoryPass.push_back(name);
    if (i >= 32) {
      directoryPass.push_back(
          name + ": no directory slot left; packed without an entry");
    }
    copyPass.push_back(name);
    dir_.write("data/" + name, contents);
    if (i <= 31) first31.push_back({name, contents});
    allData += contents;
  }
  dir_.write("data/flist", list);
  EXPECT_EQ(runWithProblems().output, passes(directoryPass, copyPass));
  const std::string bytes = pack();
  // Slots 1 to 31 describe the first 31 files; the data area holds all 40
  // and nothing follows it.
  EXPECT_EQ(bytes.substr(0, 1536), packOf(first31).substr(0, 1536));
  EXPECT_EQ(bytes.size(), 1536 + allData.size());
  EXPECT_EQ(bytes.substr(1536), allData);
}

TEST_F(PackRun, PackThatIsADirectoryIsLeftAlone) {
  dir_.write("data/flist", "a\n");
  dir_.write("data/a", "aaa");
  fs::create_directory(dir_.path() / "velkoscr");
  const ToolRun result = runWithProblems();
  EXPECT_EQ(result.output, "velkoscr: cannot be written (" + isADirectory() +
                               ")\r\n" + linesOf({"a"}));
  EXPECT_TRUE(fs::is_directory(dir_.path() / "velkoscr"));
}

TEST_F(PackRun, OldPackIsReplacedWholeWhenItCanBeDeleted) {
  dir_.write("data/flist", "a\n");
  dir_.write("data/a", "aaa");
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  run();
  EXPECT_EQ(pack(), packOf({{"a", "aaa"}}));
}

TEST_F(PackRun, FilesTooLargeForTheFieldsAreRecordedEmpty) {
  dir_.write("data/flist", "huge\nsmall\n");
  dir_.write("data/huge", "");
  std::error_code error;
  fs::resize_file(dir_.path() / "data" / "huge", (uint64_t{1} << 31) - 1,
                  error);
  if (error) GTEST_SKIP() << "no sparse file here: " << error.message();
  dir_.write("data/small", "s");
  EXPECT_EQ(runWithProblems().output,
            passes({"huge", "huge: too large; packed with size 0", "small"},
                   {"huge", "small"}));
  EXPECT_EQ(pack(), packOf({{"huge", ""}, {"small", "s"}}));
}

// Permission cases: the tool runs as an unprivileged user so that the
// working directory's and the files' modes bind it.
class UnprivilegedRun : public PackRun {
 protected:
  void SetUp() override {
    if (!permissionsApply()) GTEST_SKIP() << "no permissions here";
    makeWorldWritable(dir_.path());
    dir_.write("data/flist", "a\n");
    dir_.write("data/a", "aaa");
  }
  ToolRun runUnprivileged(int exitCode = 0) {
    ToolOptions options;
    options.unprivileged = true;
    return run(options, exitCode);
  }
};

// No temporary file can be made in a read-only directory: the old pack is
// written in place and cut to the new length.
TEST_F(UnprivilegedRun, UndeletableButWritableOldPackIsOverwrittenInPlace) {
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  makeWorldWritable(dir_.path() / "velkoscr");
  makeReadOnly(dir_.path());
  const ToolRun result = runUnprivileged();
  EXPECT_EQ(result.output, linesOf({"a"}));
  EXPECT_EQ(pack(), packOf({{"a", "aaa"}})) << "no old bytes after the data";
}

TEST_F(UnprivilegedRun, ReadOnlyOldPackStaysAsItWas) {
  dir_.write("velkoscr", "old pack");
  makeReadOnly(dir_.path() / "velkoscr");
  makeReadOnly(dir_.path());
  const ToolRun result = runUnprivileged(1);
  EXPECT_EQ(
      result.output,
      "velkoscr: cannot be written (Permission denied)\r\n" + linesOf({"a"}));
  EXPECT_EQ(pack(), "old pack");
}

// In a writable directory a read-only old pack is replaced like any other:
// the directory, not the file, decides whether it may go.
TEST_F(UnprivilegedRun, ReadOnlyOldPackInAWritableDirectoryIsReplaced) {
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  makeReadOnly(dir_.path() / "velkoscr");
  runUnprivileged();
  EXPECT_EQ(pack(), packOf({{"a", "aaa"}}));
}

TEST_F(UnprivilegedRun, UnreadableInputIsSaidAndPackedEmpty) {
  dir_.write("data/flist", "secret\na\n");
  dir_.write("data/secret", "sss");
  fs::permissions(dir_.path() / "data" / "secret", fs::perms::none);
  const ToolRun result = runUnprivileged(1);
  EXPECT_EQ(result.output,
            passes({"secret",
                    "secret: cannot be read (Permission denied); packed with "
                    "size 0",
                    "a"},
                   {"secret", "a"}));
  EXPECT_EQ(pack(), packOf({{"secret", ""}, {"a", "aaa"}}));
}

TEST_F(UnprivilegedRun, ReadOnlyInputIsPackedAsAnyOther) {
  makeReadOnly(dir_.path() / "data" / "a");
  makeReadOnly(dir_.path() / "data");
  const ToolRun result = runUnprivileged();
  EXPECT_EQ(result.output, linesOf({"a"}));
  EXPECT_EQ(pack(), packOf({{"a", "aaa"}}));
}

TEST_F(UnprivilegedRun, UnwritableWorkingDirectoryWritesNoPack) {
  makeReadOnly(dir_.path());
  const ToolRun result = runUnprivileged(1);
  EXPECT_EQ(
      result.output,
      "velkoscr: cannot be written (Permission denied)\r\n" + linesOf({"a"}));
  EXPECT_FALSE(dir_.exists("velkoscr"));
}

TEST_F(PackRun, UpperCaseHighBytesFollowTheUsersLocale) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: on Windows the locale comes from the system's "
                  "settings, not from LC_ALL";
#endif
  dir_.write("data/flist", "\xC0\xD6.JPG\n");
  dir_.write("data/\xC0\xD6.JPG", "x");
  ToolOptions latin1;
  latin1.environment = {"LC_ALL=en_US.ISO-8859-1"};
  run(latin1);
  const std::string lowered = pack().substr(48, 6);
  if (lowered == "\xC0\xD6.jpg") {
    GTEST_SKIP() << "no Latin-1 locale here; scripts/test makes one";
  }
  EXPECT_EQ(toHex(lowered), toHex("\xE0\xF6.jpg"));

  ToolOptions utf8;
  utf8.environment = {"LC_ALL=C.UTF-8"};
  run(utf8);
  EXPECT_EQ(toHex(pack().substr(48, 6)), toHex("\xC0\xD6.jpg"));
}

}  // namespace
}  // namespace test
}  // namespace scrpack
