// scrunpack as a user runs it: on packs that the real packer made from
// generated trees, and on damaged packs built here. Outputs are checked as
// text and, for --json, by parsing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "tests/json_value.h"
#include "tests/pack_builder.h"
#include "tests/process.h"
#include "tests/temp_dir.h"
#include "version.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

class Unpack : public ::testing::Test {
 protected:
  // Runs scrunpack in the test's directory; line ends as on Linux.
  ToolRun unpack(const std::vector<std::string>& arguments) {
    ToolOptions options;
    options.program = SCRUNPACK_BINARY;
    options.arguments = arguments;
    ToolRun run = runTool(dir_.path(), options);
    for (std::string* text : {&run.output, &run.errors}) {
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    }
    return run;
  }
  JsonValue json(const std::vector<std::string>& arguments, int exitCode) {
    const ToolRun run = unpack(arguments);
    EXPECT_EQ(run.exitCode, exitCode) << run.errors;
    JsonValue value;
    EXPECT_TRUE(JsonParser::parse(run.output, &value)) << run.output;
    return value;
  }
  void writePack(const std::string& bytes) { dir_.write("velkoscr", bytes); }

  TempDir dir_;
};

// A tree for the packer: listed name, file contents.
struct Listed {
  std::string name;
  std::string contents;
};

std::vector<Listed> sampleTree() {
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>(i * 7 % 251);
  return {{"Sun.JPG", jpegLike(binary)},
          {"pics/Cat.jpg", jpegLike("cat")},
          {"caf\xE9.jpg", jpegLike(std::string("\0\r\n\x1A", 4))},
          {"empty.jpg", ""},
          {"notes.txt", "plain text\n"}};
}

TEST_F(Unpack, RoundTripThroughThePacker) {
  const std::vector<Listed> tree = sampleTree();
  std::string list;
  for (const Listed& file : tree) {
    list += file.name + "\r\n";
    dir_.write("data/" + file.name, file.contents);
  }
  dir_.write("data/flist", list);
  ASSERT_EQ(runTool(dir_.path()).exitCode, 0);

  const char* stored[] = {"sun.jpg", "pics/cat.jpg", "caf\xE9.jpg", "empty.jpg",
                          "notes.txt"};
  const JsonValue entries = json({"list", "--json"}, 0);
  ASSERT_EQ(entries.items.size(), tree.size());
  int64_t offset = 1536;
  for (size_t i = 0; i < tree.size(); ++i) {
    const JsonValue& e = entries.items[i];
    EXPECT_EQ(e["slot"].number, static_cast<double>(i + 1));
    EXPECT_EQ(e["name"].text, stored[i]);
    EXPECT_EQ(e["offset"].number, static_cast<double>(offset));
    EXPECT_EQ(e["size"].number, static_cast<double>(tree[i].contents.size()));
    offset += static_cast<int64_t>(tree[i].contents.size());
  }
  const ToolRun listed = unpack({"list"});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_NE(listed.output.find("   1       1536      70004  sun.jpg\n"),
            std::string::npos)
      << listed.output;
  EXPECT_NE(listed.output.find("  \"caf\\xE9.jpg\"\n"), std::string::npos);

  // Warnings only (an empty entry, a text file): still a sound pack.
  const ToolRun checked = unpack({"check", "--list", "."});
  EXPECT_EQ(checked.exitCode, 0) << checked.output;
  EXPECT_NE(checked.output.find("velkoscr: 5 entries, 0 problems, 2 warnings"),
            std::string::npos)
      << checked.output;

  fs::create_directory(dir_.path() / "out");
  const ToolRun extracted = unpack({"extract", "-C", "out"});
  EXPECT_EQ(extracted.exitCode, 0) << extracted.errors;
  for (size_t i = 0; i < tree.size(); ++i) {
    EXPECT_EQ(dir_.read(std::string("out/") + stored[i]), tree[i].contents)
        << stored[i];
  }
}

TEST_F(Unpack, CheckComparesWithTheListAsThePackerWouldPackNow) {
  dir_.write("data/flist", "a.jpg\nb.jpg\n");
  dir_.write("data/a.jpg", jpegLike("a"));
  dir_.write("data/b.jpg", jpegLike("b"));
  ASSERT_EQ(runTool(dir_.path()).exitCode, 0);
  EXPECT_EQ(unpack({"check", "--list", "."}).exitCode, 0);

  dir_.write("data/b.jpg", jpegLike("B"));  // same size, other bytes
  dir_.write("data/flist", "a.jpg\nb.jpg\nnew.jpg\n");
  const JsonValue report = json({"check", "--json", "--list", "."}, 1);
  ASSERT_EQ(report["problems"].items.size(), 2u) << "one per difference";
  EXPECT_EQ(report["problems"].items[0]["slot"].number, 2);
  EXPECT_NE(
      report["problems"].items[0]["message"].text.find("different contents"),
      std::string::npos);
  EXPECT_NE(report["problems"].items[1]["message"].text.find(
                "missing entry for the listed file new.jpg"),
            std::string::npos);

  const ToolRun noList = unpack({"check", "--list", "nowhere"});
  EXPECT_EQ(noList.exitCode, 2);
  EXPECT_NE(noList.errors.find("cannot open the list file"), std::string::npos);
}

TEST_F(Unpack, ExitStatusesAndMessages) {
  const std::string sound =
      PackBuilder().slot(1, "a.jpg", 1536, 4).data(jpegLike("")).bytes();
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    const std::string* pack;  // null: no pack file
    int exitCode;
    const char* output;  // part of standard output or of standard error
  };
  const std::string warned = PackBuilder().slot(1, "e", 1536, 0).bytes();
  const std::string trailing = sound + "x";
  const std::string cut(1000, '\0');
  const Case cases[] = {
      {"sound", {"check"}, &sound, 0, "1 entry, 0 problems, 0 warnings"},
      {"warnings only", {"check"}, &warned, 0, "warning: slot 1 e"},
      {"problem", {"check"}, &trailing, 1, "problem: 1 bytes after"},
      {"cut directory", {"check"}, &cut, 1, "the pack is truncated"},
      {"cut directory, list",
       {"list"},
       &cut,
       2,
       "scrunpack: velkoscr: shorter than the 1536-byte directory"},
      {"no pack",
       {"list", "other"},
       nullptr,
       2,
       "scrunpack: other: cannot open the pack"},
      {"no command", {}, nullptr, 2, "scrunpack: no command given"},
      {"bad option", {"list", "--bogus"}, nullptr, 2, "unknown option"},
      {"help", {"--help"}, nullptr, 0, "Usage: scrunpack list"},
      {"version", {"--version"}, nullptr, 0, "scrunpack "},
  };
  for (const Case& c : cases) {
    std::error_code error;
    fs::remove(dir_.path() / "velkoscr", error);
    if (c.pack) writePack(*c.pack);
    const ToolRun run = unpack(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
    EXPECT_NE((run.output + run.errors).find(c.output), std::string::npos)
        << c.what << ": " << run.output << run.errors;
  }
  EXPECT_EQ(unpack({"--version"}).output,
            std::string("scrunpack ") + kVersion + "\n");
}

TEST_F(Unpack, ListShowsNamesSafelyAndJsonKeepsTheirBytes) {
  const std::vector<std::string> names = {"\x1B]0;owned\x07", "q\"uote",
                                          "\xFF\x80", "", "tab\t.jpg"};
  PackBuilder builder;
  for (size_t i = 0; i < names.size(); ++i) {
    builder.slot(static_cast<int>(i + 1), names[i], 1536, 1);
  }
  writePack(builder.data("x").bytes());
  const ToolRun run = unpack({"list"});
  EXPECT_EQ(run.exitCode, 0);
  for (unsigned char c : run.output) {
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int{c};
  }
  const JsonValue entries = json({"list", "--json"}, 0);
  ASSERT_EQ(entries.items.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(entries.items[i]["name"].text, names[i]);
  }
}

// Extraction never writes outside its directory: each case packs one entry
// under a hostile name, and nothing may appear outside out/.
TEST_F(Unpack, ExtractRefusesNamesThatLeaveTheDirectory) {
  struct Case {
    std::string name;
    const char* setup;  // "link-dir", "link-file", "file-on-way", "exists"
    const char* message;
  };
  const Case cases[] = {
      {"/scrunpack-escape.jpg", "", "is an absolute path"},
      {"\\scrunpack-escape.jpg", "", "is an absolute path"},
      {"../escape.jpg", "", "\"..\" component"},
      {"a/../../escape.jpg", "", "\"..\" component"},
      {"sub\\..\\..\\escape.jpg", "", "\"..\" component"},
      {"C:escape.jpg", "", "drive letter"},
      {"c:\\escape.jpg", "", "drive letter"},
      {std::string("esc\0ape.jpg", 11), "", "zero byte"},
      {"", "", "the name is empty"},
      {"link/escape.jpg", "link-dir", "a symlink is on the way"},
      {"escape.jpg", "link-file", "a symlink is on the way"},
      {"file/x.jpg", "file-on-way", "in the way"},
      {"kept.jpg", "exists", "the file exists; --force replaces it"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path out = dir.path() / "out";
    fs::create_directories(out / "sub");
    dir.write("elsewhere/.keep", "");
    std::error_code error;
    if (std::string(c.setup) == "link-dir") {
      fs::create_directory_symlink(dir.path() / "elsewhere", out / "link",
                                   error);
    } else if (std::string(c.setup) == "link-file") {
      dir.write("elsewhere/escape.jpg", "old");
      fs::create_symlink(dir.path() / "elsewhere" / "escape.jpg",
                         out / "escape.jpg", error);
    } else if (std::string(c.setup) == "file-on-way") {
      dir.write("out/file", "a file");
    } else if (std::string(c.setup) == "exists") {
      dir.write("out/kept.jpg", "old");
    }
    if (error) {
      std::cout << "skipped " << c.setup << ": " << error.message() << "\n";
      continue;
    }
    dir.write("velkoscr", PackBuilder()
                              .slot(1, c.name, 1536, 3)
                              .slot(2, "fine.jpg", 1539, 2)
                              .data("newok")
                              .bytes());
    ToolOptions options;
    options.program = SCRUNPACK_BINARY;
    options.arguments = {"extract", "-C", "out"};
    const ToolRun run = runTool(dir.path(), options);
    EXPECT_EQ(run.exitCode, 1) << c.message;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_EQ(dir.read("out/fine.jpg"), "ok") << "the others are extracted";
    EXPECT_FALSE(dir.exists("escape.jpg")) << c.message;
    EXPECT_FALSE(dir.exists("elsewhere/escape.jpg") &&
                 dir.read("elsewhere/escape.jpg") != "old")
        << c.message;
    EXPECT_FALSE(fs::exists("/scrunpack-escape.jpg"));
    if (std::string(c.setup) == "exists") {
      EXPECT_EQ(dir.read("out/kept.jpg"), "old");
      options.arguments.push_back("--force");
      EXPECT_EQ(runTool(dir.path(), options).exitCode, 0);
      EXPECT_EQ(dir.read("out/kept.jpg"), "new");
    }
  }
}

TEST_F(Unpack, ExtractNamedEntriesAndReportDuplicatesAndDamage) {
  writePack(PackBuilder()
                .slot(1, "pics/a.jpg", 1536, 1)
                .slot(2, "pics\\a.jpg", 1537, 1)  // the same path
                .slot(3, "b.jpg", 1538, 1)
                .slot(4, "far.jpg", 9000, 1)
                .data("12345")
                .bytes());
  const ToolRun all = unpack({"extract"});
  EXPECT_EQ(all.exitCode, 1);
  EXPECT_EQ(dir_.read("pics/a.jpg"), "1") << "the first wins";
  EXPECT_NE(all.errors.find("slot 2 pics\\a.jpg: not extracted: same path "
                            "as slot 1"),
            std::string::npos)
      << all.errors;
  EXPECT_NE(all.errors.find("slot 4 far.jpg: not extracted: the entry lies "
                            "outside"),
            std::string::npos)
      << all.errors;
  EXPECT_EQ(dir_.read("b.jpg"), "3");

  fs::create_directory(dir_.path() / "named");
  const ToolRun named =
      unpack({"extract", "velkoscr", "-C", "named", "B.JPG", "gone.jpg"});
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_EQ(named.errors, "scrunpack: gone.jpg: no such entry in velkoscr\n");
  EXPECT_EQ(dir_.read("named/b.jpg"), "3");
  EXPECT_FALSE(dir_.exists("named/pics"));

  const ToolRun noDir = unpack({"extract", "-C", "missing"});
  EXPECT_EQ(noDir.exitCode, 2);
  EXPECT_NE(noDir.errors.find("scrunpack: missing: cannot open the directory"),
            std::string::npos);
}

}  // namespace
}  // namespace test
}  // namespace scrpack
