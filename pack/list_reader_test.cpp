#include "pack/list_reader.h"

#include <gtest/gtest.h>

#include <clocale>
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

  const std::string first(64 * 1024 - 1, 'a');
  EXPECT_EQ(namesOf(first + "\r\nb\r\n"),
            (std::vector<std::string>{first, "b"}));
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
