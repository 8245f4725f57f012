#include "pack/list_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/hex.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace {

using test::hexBytes;
using test::TempDir;
using test::toHex;

std::vector<std::string> readAll(ListReader& reader) {
  std::vector<std::string> names;
  while (!reader.atEnd()) names.push_back(reader.readName());
  return names;
}

std::vector<std::string> namesOf(const std::string& listBytes) {
  TempDir dir;
  dir.write("flist", listBytes);
  ListReader reader;
  reader.open((dir.path() / "flist").string());
  return readAll(reader);
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) {
    if (!out.empty()) out += "; ";
    out += name.empty() ? "empty" : toHex(name);
  }
  return out.empty() ? "none" : out;
}

TEST(ListReader, LinesOfTheListFile) {
  struct Case {
    const char* file;
    const char* names;
  };
  const Case cases[] = {
      {"", "none"},
      {"61", "61"},
      {"61 0A", "61"},
      {"61 0D 0A", "61"},
      {"61 0A 62", "61; 62"},
      {"61 0A 0A", "61; empty"},
      {"0A", "empty"},
      {"0D 0A", "empty"},
      {"0D", "empty"},
      {"61 0D", "61"},
      {"61 0D 62 0A", "61 0D 62"},
      {"61 0D 0D 0A", "61"},
      {"61 0D 0D 0D 0A", "61 0D"},
      {"61 0D 0A 0D 0A 62 0D 0A 1A", "61; empty; 62"},
      {"61 0A 1A 62 0A", "61"},
      {"61 62 1A 63 64 0A", "61 62"},
      {"61 62 00 63 64 0A", "61 62 00 63 64"},
      {"61 62 00 00 0A", "61 62 00 00"},
      {"61 62 00 00", "61 62"},
      {"61 0A 00 00", "61; empty"},
      {"EF BB BF 78 0D 0A", "EF BB BF 78"},
      {"61 0D 1A", "61"},        // CR before the end mark is a line's end
      {"61 0D 00 00", "61"},     // zero bytes go first, then the CR
      {"61 00 0D 00", "61 00"},  // only the trailing zero bytes go
  };
  for (const Case& c : cases) {
    EXPECT_EQ(joined(namesOf(hexBytes(c.file))), c.names) << "list " << c.file;
  }
}

TEST(ListReader, LongLinesAndChunkBoundaries) {
  // A line far longer than any buffer, and a CR LF split across the
  // reader's 64 KiB chunks.
  const std::string longName(600, 'x');
  EXPECT_EQ(namesOf(longName + "\n"), std::vector<std::string>{longName});

  // 64 lines of 1023 bytes: the CR of the last one is the chunk's last
  // byte, its LF the next chunk's first.
  const std::string line(1023, 'a');
  std::string list;
  for (int i = 0; i < 63; ++i) list += line + "\n";
  std::vector<std::string> expected(64, line);
  expected.push_back("b");
  EXPECT_EQ(namesOf(list + line + "\r\nb\r\n"), expected);
}

// Lines of kMaxNameBytes and longer: the name keeps that many bytes, the
// rest of the line goes, and the next line is read as usual. Whether the
// name counts as cut depends on what the line end would have dropped.
TEST(ListReader, LongLinesKeepAtMostMaxNameBytes) {
  const std::string kept(kMaxNameBytes, 'k');
  struct Case {
    const char* what;
    std::string list;
    std::string firstName;
    bool cut;
  };
  const std::string zeros(100000, '\0');
  const Case cases[] = {
      {"exactly the limit", kept + "\r\nb\n", kept, false},
      {"the limit and a CR CR LF", kept + "\r\r\nb\n", kept, false},
      {"one byte more", kept + "x\nb\n", kept, true},
      {"one CR more", kept + "\r\r\r\nb\n", kept, true},
      {"far longer, CR LF split by chunks",
       kept + std::string(200000, 'y') + "\r\nb\n", kept, true},
      {"a 0x1A in the dropped part ends the list", kept + "yy\x1A\nb\n", kept,
       true},
      {"zero bytes to the end of the file are no name bytes",
       kept.substr(1) + "\r" + zeros, kept.substr(1), false},
      {"a CR and zero bytes to the end of the file", kept + "\r" + zeros, kept,
       false},
      {"a byte after the zero bytes", kept + zeros + "z", kept, true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.write("flist", c.list);
    ListReader reader;
    ASSERT_TRUE(reader.open((dir.path() / "flist").string()));
    ASSERT_FALSE(reader.atEnd()) << c.what;
    EXPECT_EQ(reader.readName(), c.firstName) << c.what;
    EXPECT_EQ(reader.nameCut(), c.cut) << c.what;
    const bool markEnds = c.list.find('\x1A') != std::string::npos;
    if (c.list.back() == '\n' && !markEnds) {
      ASSERT_FALSE(reader.atEnd()) << c.what;
      EXPECT_EQ(reader.readName(), "b") << c.what;
      EXPECT_FALSE(reader.nameCut()) << c.what;
    }
    EXPECT_TRUE(reader.atEnd()) << c.what;
  }
}

// A file that fails to read after |good| bytes, as a disk with a bad block
// would.
class FailingFile : public platform::FileHandle {
 public:
  FailingFile(std::string bytes, size_t good)
      : bytes_(std::move(bytes)), good_(good) {}
  int64_t length() override { return static_cast<int64_t>(bytes_.size()); }
  size_t readAt(int64_t position, void* buffer, size_t count) override {
    const size_t from = static_cast<size_t>(position);
    const size_t end = std::min(good_, bytes_.size());
    const size_t n = from >= end ? 0 : std::min(count, end - from);
    std::memcpy(buffer, bytes_.data() + from, n);
    if (n < count && good_ < bytes_.size()) failure_ = "Input/output error";
    return n;
  }
  size_t writeAt(int64_t, const void*, size_t) override { return 0; }
  bool sync() override { return true; }
  bool resize(int64_t) override { return false; }
  platform::FileId id() override { return platform::FileId(); }

 private:
  std::string bytes_;
  size_t good_;
};

TEST(ListReader, ReadFailureEndsTheListWhereItHappens) {
  // The failure comes in the second chunk, in the middle of a line.
  std::string list;
  for (int i = 0; i < 10000; ++i) list += "name" + std::to_string(i) + "\n";
  const size_t good = 64 * 1024 + 10;
  ListReader reader;
  reader.open(std::make_unique<FailingFile>(list, good));
  std::vector<std::string> names = readAll(reader);
  EXPECT_TRUE(reader.readFailed());
  EXPECT_EQ(reader.readFailure(), "Input/output error");
  // A failure counts as the end of the file.
  EXPECT_EQ(names, namesOf(list.substr(0, good)));
  EXPECT_GT(names.size(), 1000u);

  ListReader healthy;
  healthy.open(std::make_unique<FailingFile>(list, list.size() + 1));
  readAll(healthy);
  EXPECT_FALSE(healthy.readFailed()) << "the end of the file is no failure";
}

TEST(ListReader, MissingOrUnreadableListHasNoNames) {
  TempDir dir;
  ListReader reader;
  reader.open((dir.path() / "absent").string());
  EXPECT_TRUE(reader.atEnd());
  reader.open(dir.path().string());  // a directory is no list
  EXPECT_TRUE(reader.atEnd());
  ListReader closed;
  EXPECT_TRUE(closed.atEnd());
}

TEST(ListReader, ReopeningStartsAgainAtTheFirstByte) {
  TempDir dir;
  dir.write("flist", "one\r\ntwo\r\n");
  ListReader reader;
  reader.open((dir.path() / "flist").string());
  const auto first = readAll(reader);
  reader.close();
  EXPECT_TRUE(reader.atEnd());
  reader.open((dir.path() / "flist").string());
  EXPECT_EQ(readAll(reader), first);
  EXPECT_EQ(first, (std::vector<std::string>{"one", "two"}));
}

std::string storedName(const std::string& name) {
  unsigned char derived[kEntryNameSize];
  deriveEntryName(name, derived);
  PackEntry entry;
  setEntryName(&entry, derived);
  return std::string(reinterpret_cast<const char*>(entry.name), kEntryNameSize);
}

TEST(EntryName, StoredNameField) {
  const std::string n39 = std::string(38, 'A') + "B";
  const std::string l39 = std::string(38, 'a') + "b";
  struct Case {
    std::string name;
    std::string stored;  // followed by zero bytes up to 40
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"Title.JPG", "title.jpg"},
      {n39, l39},
      {n39 + "C", l39},
      {n39 + "CD", l39},
      {"", ""},
      {hexBytes("61 62 00 63 64"), hexBytes("61 62 00 63 64")},
      {"pics/Cat.jpg", "pics/cat.jpg"},
      {" x.jpg", " x.jpg"},
      {"@[`{Z", "@[`{z"},  // neighbours of A-Z stay
  };
  for (const Case& c : cases) {
    std::string expected = c.stored;
    expected.resize(kEntryNameSize, '\0');
    EXPECT_EQ(toHex(storedName(c.name)), toHex(expected)) << c.name;
  }
}

TEST(EntryName, InputPaths) {
  struct Case {
    std::string name;
    std::string path;
  };
  const Case cases[] = {
      {"Cat.JPG", "data\\Cat.JPG"},
      {"pics/Cat.jpg", "data\\pics\\Cat.jpg"},
      {"", "data\\"},
      {hexBytes("61 62 00 63 64"), "data\\ab"},
      {"a\\b", "data\\a\\b"},
  };
  for (const Case& c : cases) EXPECT_EQ(inputPath(c.name), c.path) << c.name;
}

// Restores the character-type locale that the test binary runs in.
class LocaleGuard {
 public:
  LocaleGuard() : saved_(std::setlocale(LC_CTYPE, nullptr)) {}
  ~LocaleGuard() { std::setlocale(LC_CTYPE, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST(EntryName, HighBytesFollowASingleByteLocale) {
  LocaleGuard guard;
  const char* names[] = {"en_US.ISO-8859-1", "en_US.iso88591",
                         "de_DE.ISO-8859-1", ".1252"};
  const char* found = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_CTYPE, name)) {
      found = name;
      break;
    }
  }
  if (!found) {
    GTEST_SKIP() << "no Latin-1 locale here; scripts/test makes one with "
                    "localedef";
  }
  // À (C0) -> à (E0), Ö (D6) -> ö (F6); × (D7) and ß (DF) are no capitals.
  EXPECT_EQ(toHex(lowerName(hexBytes("C0 D6 D7 DF 41 E0"))),
            "E0 F6 D7 DF 61 E0")
      << found;
}

TEST(EntryName, HighBytesStayInUtf8AndC) {
  LocaleGuard guard;
  for (const char* name : {"C", "C.UTF-8"}) {
    if (!std::setlocale(LC_CTYPE, name)) continue;
    std::string all;
    for (int b = 0x80; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(lowerName(all), all) << name;
    EXPECT_EQ(lowerName("ABCXYZ"), "abcxyz") << name;
  }
}

}  // namespace
}  // namespace scrpack
