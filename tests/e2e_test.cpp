// The tool as a user runs it: a working directory with data/flist, the
// binary started as a process with its output redirected, and the pack,
// the files left in data/ and the output bytes checked afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/hex.h"
#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

const std::string kFinal = "Jpeg files are packed to velkoscr\r\n";

std::string fixed32(uint32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> (8 * i));
  return out;
}

std::string slot(const std::string& storedName, uint32_t offset,
                 uint32_t size) {
  std::string name = storedName;
  name.resize(40, '\0');
  return name + fixed32(offset) + fixed32(size);
}

// The pack for files that all fit the directory: stored names are given
// lowered and cut already, so the oracle stays independent of the tool.
struct Entry {
  std::string storedName;
  std::string contents;
};

std::string packOf(const std::vector<Entry>& entries) {
  std::string directory(48, '\0');
  std::string data;
  uint32_t offset = 1536;
  for (const Entry& e : entries) {
    directory +=
        slot(e.storedName, offset, static_cast<uint32_t>(e.contents.size()));
    offset += static_cast<uint32_t>(e.contents.size());
    data += e.contents;
  }
  directory.resize(1536, '\0');
  return directory + data;
}

std::string linesOf(const std::vector<std::string>& names) {
  std::string once;
  for (const std::string& name : names) once += name + "\r\n";
  return once + once + kFinal;
}

class PackRun : public ::testing::Test {
 protected:
  ToolRun run(const ToolOptions& options = ToolOptions()) {
    ToolRun result = runTool(dir_.path(), options);
    EXPECT_EQ(result.exitCode, 0);
    return result;
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

TEST_F(PackRun, EmptyOrMissingListGivesTheEmptyDirectory) {
  struct Case {
    const char* name;
    bool dataDir;
    const char* list;  // null: no list file
  };
  const Case cases[] = {
      {"empty list", true, ""},
      {"no list", true, nullptr},
      {"no data directory", false, nullptr},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.dataDir) fs::create_directory(dir.path() / "data");
    if (c.list) dir.write("data/flist", c.list);
    const ToolRun result = runTool(dir.path());
    EXPECT_EQ(result.exitCode, 0) << c.name;
    EXPECT_EQ(result.output, kFinal) << c.name;
    EXPECT_EQ(dir.read("velkoscr"), std::string(1536, '\0')) << c.name;
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
  const ToolRun result = run();
  EXPECT_EQ(result.output, linesOf({"pics/A.jpg", "b.JPG", "b.JPG",
                                    "\xEF\xBB\xBFx", "c.jpg"}));
  EXPECT_EQ(pack(), packOf({{"pics/a.jpg", "aaaa"},
                            {"b.jpg", "bb"},
                            {"b.jpg", "bb"},
                            {"\xEF\xBB\xBFx", ""},
                            {"c.jpg", std::string(300000, 'c')}}));
}

TEST_F(PackRun, ManyLinesArriveWholeAndInOrder) {
  // Far more output than one write takes, in lines of many lengths.
  std::string list;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    names.push_back("n" +
                    std::string(static_cast<size_t>(i % 97),
                                static_cast<char>('a' + i % 26)) +
                    std::to_string(i));
    list += names.back() + "\r\n";
  }
  dir_.write("data/flist", list);
  EXPECT_EQ(run().output, linesOf(names));
}

TEST_F(PackRun, MissingInputIsCreatedEmptyAndTakesNoRoom) {
  dir_.write("data/flist", "gone.jpg\nhere.jpg\n");
  dir_.write("data/here.jpg", "hhh");
  run();
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
  const ToolRun result = run();
  EXPECT_EQ(result.output, linesOf({"sub", "", "nodir/x.jpg",
                                    std::string("ab\0cd", 5), "last"}));
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
  for (int i = 1; i <= 40; ++i) {
    const std::string name = "f" + std::to_string(i);
    const std::string contents(static_cast<size_t>(i),
                               static_cast<char>('A' + i % 26));
    list += name + "\n";
    dir_.write("data/" + name, contents);
    if (i <= 31) first31.push_back({name, contents});
    allData += contents;
  }
  dir_.write("data/flist", list);
  run();
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
  const ToolRun result = run();
  EXPECT_EQ(result.output, linesOf({"a"}));
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
  run();
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
  ToolRun runUnprivileged() {
    ToolOptions options;
    options.unprivileged = true;
    return run(options);
  }
};

TEST_F(UnprivilegedRun, UndeletableButWritableOldPackIsOverwrittenInPlace) {
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  makeWorldWritable(dir_.path() / "velkoscr");
  makeReadOnly(dir_.path());
  const ToolRun result = runUnprivileged();
  EXPECT_EQ(result.output, linesOf({"a"}));
  const std::string fresh = packOf({{"a", "aaa"}});
  const std::string bytes = pack();
  ASSERT_EQ(bytes.size(), 5000u) << "never shortened";
  EXPECT_EQ(bytes.substr(0, fresh.size()), fresh);
  EXPECT_EQ(bytes.substr(fresh.size()),
            std::string(5000 - fresh.size(), '\xEE'));
}

TEST_F(UnprivilegedRun, ReadOnlyOldPackStaysAsItWas) {
  dir_.write("velkoscr", "old pack");
  makeReadOnly(dir_.path() / "velkoscr");
  makeReadOnly(dir_.path());
  const ToolRun result = runUnprivileged();
  EXPECT_EQ(result.output, linesOf({"a"}));
  EXPECT_EQ(pack(), "old pack");
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
  const ToolRun result = runUnprivileged();
  EXPECT_EQ(result.output, linesOf({"a"}));
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
