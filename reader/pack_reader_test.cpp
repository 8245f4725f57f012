#include "reader/pack_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pack/pack_format.h"
#include "tests/pack_builder.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace {

using test::PackBuilder;

std::string contents(PackReader& reader, const PackItem& item) {
  std::vector<unsigned char> bytes;
  EXPECT_EQ(reader.read(item, &bytes), PackError::kNone);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PackReader, ListsNonEmptySlotsInOrder) {
  const std::string pack = PackBuilder()
                               .slot(1, "a.jpg", 1536, 3)
                               .slot(3, "", 1539, 2)  // empty name, a size
                               .slot(4, "zero", 1541, 0)
                               .data("aaabb")
                               .bytes();
  PackReader reader;
  ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
  ASSERT_EQ(reader.items().size(), 3u);
  EXPECT_EQ(reader.length(), 1541);
  EXPECT_FALSE(reader.slotZeroUsed());
  const PackItem& a = reader.items()[0];
  EXPECT_EQ(a.slot, 1);
  EXPECT_EQ(a.name, "a.jpg");
  EXPECT_EQ(a.offset, 1536);
  EXPECT_EQ(a.size, 3);
  EXPECT_EQ(reader.items()[1].slot, 3);
  EXPECT_EQ(reader.items()[1].name, "");
  EXPECT_EQ(contents(reader, reader.items()[1]), "bb");
  EXPECT_EQ(contents(reader, reader.items()[2]), "");
}

TEST(PackReader, NameBytesAfterAZeroByteBelongToTheName) {
  const std::string pack =
      PackBuilder().slot(1, std::string("ab\0cd", 5), 1536, 0).bytes();
  PackReader reader;
  ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
  EXPECT_EQ(reader.items()[0].name, std::string("ab\0cd", 5));
  EXPECT_NE(reader.find(std::string("AB\0CD", 5)), nullptr);
  EXPECT_EQ(reader.find("ab"), nullptr);
}

TEST(PackReader, FindsByNameAsThePackerStoresIt) {
  const std::string name39(39, 'n');
  const std::string pack = PackBuilder()
                               .slot(1, "title.jpg", 1536, 1)
                               .slot(2, "dup", 1537, 1)
                               .slot(3, "dup", 1538, 1)
                               .slot(4, name39, 1539, 0)
                               .slot(5, "\xC0.jpg", 1539, 0)
                               .data("123")
                               .bytes();
  PackReader reader;
  ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
  struct Case {
    std::string query;
    int slot;  // 0: not found
  };
  const Case cases[] = {
      {"Title.JPG", 1},
      {"title.jpg", 1},
      {"title", 0},
      {"dup", 2},  // the first of two
      {std::string(39, 'N') + "EXTRA", 4},
      {std::string(38, 'n'), 0},
      {"\xC0.JPG", 5},
      {"\xE0.jpg", 0},  // high bytes are not lowered
      {"", 0},
  };
  for (const Case& c : cases) {
    const PackItem* item = reader.find(c.query);
    EXPECT_EQ(item ? item->slot : 0, c.slot) << c.query;
  }
}

TEST(PackReader, EntriesOutsideTheDataAreaAreNeverRead) {
  struct Case {
    const char* what;
    int32_t offset;
    int32_t size;
  };
  const Case cases[] = {
      {"negative offset", -10, 5},
      {"negative size", 1536, -1},
      {"offset inside the directory", 1000, 10},
      {"offset at zero", 0, 0},
      {"past the end", 1540, 10},
      {"starts past the end", 5000, 0},
      {"size near the limit", 1536, INT32_MAX},
      {"offset near the limit", INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) {
    const std::string pack =
        PackBuilder().slot(1, "x", c.offset, c.size).data("0123456789").bytes();
    PackReader reader;
    ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
    const PackItem& item = reader.items()[0];
    EXPECT_FALSE(reader.inRange(item)) << c.what;
    std::vector<unsigned char> bytes(3, 'k');
    EXPECT_EQ(reader.read(item, &bytes), PackError::kOutOfRange) << c.what;
    EXPECT_EQ(bytes.size(), 3u) << c.what << ": left as it was";
    char buffer[1];
    EXPECT_EQ(reader.read(item, 0, buffer, 0), PackError::kOutOfRange)
        << c.what;
  }
}

TEST(PackReader, PartialReadsStayInsideTheEntry) {
  const std::string pack =
      PackBuilder().slot(1, "x", 1538, 5).data("..hello..").bytes();
  PackReader reader;
  ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
  const PackItem& item = reader.items()[0];
  char buffer[8] = {};
  ASSERT_EQ(reader.read(item, 1, buffer, 3), PackError::kNone);
  EXPECT_EQ(std::string(buffer, 3), "ell");
  EXPECT_EQ(reader.read(item, 5, buffer, 0), PackError::kNone);
  EXPECT_EQ(reader.read(item, 3, buffer, 3), PackError::kOutsideEntry);
  EXPECT_EQ(reader.read(item, -1, buffer, 1), PackError::kOutsideEntry);
  EXPECT_EQ(reader.read(item, 6, buffer, 0), PackError::kOutsideEntry);
}

TEST(PackReader, TooShortOrMissingPacksGiveErrors) {
  const std::string almost(1535, '\0');
  PackReader reader;
  EXPECT_EQ(reader.openBytes(almost.data(), almost.size()),
            PackError::kTooShort);
  EXPECT_FALSE(reader.isOpen());
  EXPECT_EQ(reader.openBytes(nullptr, 0), PackError::kTooShort);

  test::TempDir dir;
  dir.write("short", almost);
  EXPECT_EQ(reader.open((dir.path() / "short").string()), PackError::kTooShort);
  EXPECT_EQ(reader.open((dir.path() / "missing").string()),
            PackError::kCannotOpen);
  EXPECT_NE(reader.open(dir.path().string()), PackError::kNone);
  EXPECT_FALSE(reader.isOpen());
  EXPECT_TRUE(reader.items().empty());
  std::vector<unsigned char> bytes;
  EXPECT_EQ(reader.read(PackItem(), &bytes), PackError::kNotOpen);
}

TEST(PackReader, ReadsFromAFileOnDemand) {
  const std::string pack = PackBuilder()
                               .slot(1, "a", 1536, 4)
                               .slot(2, "b", 1540, 3)
                               .data("AAAABBB")
                               .bytes();
  test::TempDir dir;
  dir.write("velkoscr", pack);
  PackReader reader;
  ASSERT_EQ(reader.open((dir.path() / "velkoscr").string()), PackError::kNone);
  ASSERT_EQ(reader.items().size(), 2u);
  EXPECT_EQ(contents(reader, reader.items()[1]), "BBB");
  EXPECT_EQ(contents(reader, reader.items()[0]), "AAAA");

  // A pack cut after it was opened: the reads fail, nothing else.
  dir.write("velkoscr", pack.substr(0, 1538));
  std::vector<unsigned char> bytes;
  EXPECT_EQ(reader.read(reader.items()[1], &bytes), PackError::kCannotRead);
  EXPECT_TRUE(bytes.empty());
}

TEST(PackReader, NoticesBytesInSlotZero) {
  std::string pack = PackBuilder().bytes();
  pack[47] = 1;
  PackReader reader;
  ASSERT_EQ(reader.openBytes(pack.data(), pack.size()), PackError::kNone);
  EXPECT_TRUE(reader.slotZeroUsed());
  EXPECT_TRUE(reader.items().empty());
}

}  // namespace
}  // namespace scrpack
