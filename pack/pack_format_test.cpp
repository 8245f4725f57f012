#include "pack/pack_format.h"

#include <gtest/gtest.h>

#include <cstring>

namespace scrpack {
namespace {

TEST(PackFormat, EntryBytesAreNameThenLittleEndianOffsetAndSize) {
  PackEntry entry;
  unsigned char derived[kEntryNameSize];
  std::memset(derived, 'x', sizeof derived);  // 40 name bytes, none zero
  setEntryName(&entry, derived);
  entry.offset = 0x01020304;
  entry.size = -2;
  unsigned char bytes[kSlotSize];
  encodePackEntry(entry, bytes);

  for (size_t i = 0; i < kStoredNameBytes; ++i) EXPECT_EQ(bytes[i], 'x') << i;
  EXPECT_EQ(bytes[39], 0) << "the 40th name byte is always zero";
  const unsigned char tail[8] = {0x04, 0x03, 0x02, 0x01,
                                 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(bytes + 40, tail, 8), 0);

  const PackEntry back = decodePackEntry(bytes);
  EXPECT_EQ(back.offset, entry.offset);
  EXPECT_EQ(back.size, entry.size);
  EXPECT_EQ(std::memcmp(back.name, entry.name, kEntryNameSize), 0);
}

TEST(PackFormat, DirectoryGeometry) {
  EXPECT_EQ(kDirectoryLength, 1536);
  EXPECT_EQ(kFirstEntryOffset, 48);
}

TEST(PackFormat, FittedSizeKeepsThePackWithinSignedThirtyTwoBits) {
  struct Case {
    int64_t offset;
    int64_t length;
    int32_t expected;
  };
  const Case cases[] = {
      {1536, 0, 0},
      {1536, 10, 10},
      {1536, INT32_MAX - 1536, INT32_MAX - 1536},  // ends exactly at the limit
      {1536, INT32_MAX - 1535, 0},                 // one byte past it
      {1536, INT32_MAX, 0},                        // 2^31 - 1 bytes
      {1536, int64_t{1} << 32, 0},        // low 32 bits would say 0 anyway
      {1536, (int64_t{1} << 32) + 5, 0},  // low 32 bits would say 5
      {int64_t{INT32_MAX}, 1, 0},
      {int64_t{INT32_MAX}, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fittedSize(c.offset, c.length), c.expected)
        << "offset " << c.offset << " length " << c.length;
  }
}

}  // namespace
}  // namespace scrpack
