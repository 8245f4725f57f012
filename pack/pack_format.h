// Layout of the pack file "velkoscr".
//
// The pack has no header, magic or version: readers find the directory by
// its fixed place and size.
//
//   bytes 0 .. 1535      directory: kSlotCount slots of kSlotSize bytes.
//                        Slot 0 is always zero; slot k (1..31) holds the
//                        entry of the k-th listed file, or zeros.
//   bytes 1536 ..        data area: the contents of every listed file, back
//                        to back in list order, no separators or alignment.
//
// One directory entry (PackEntry), 48 bytes, little-endian:
//
//   offset 0   40 bytes  name    lowered name, at most 39 bytes, zero padded;
//                                byte 39 is always zero
//   offset 40   4 bytes  offset  int32: where the contents start in the pack
//   offset 44   4 bytes  size    int32: length of the contents
#ifndef SCRPACK_PACK_PACK_FORMAT_H_
#define SCRPACK_PACK_PACK_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace scrpack {

constexpr int32_t kSlotCount = 32;
constexpr int32_t kSlotSize = 48;
constexpr int32_t kDirectoryLength = kSlotCount * kSlotSize;  // 1536
constexpr int32_t kFirstEntryOffset = kSlotSize;              // slot 1
constexpr size_t kEntryNameSize = 40;
constexpr size_t kStoredNameBytes = kEntryNameSize - 1;  // byte 39 stays 0
constexpr size_t kEntryOffsetField = 40;
constexpr size_t kEntrySizeField = 44;

// The largest byte position a 32-bit signed field can describe. A file of
// this length or more, or one whose contents would end past it, is recorded
// with size 0 and not copied.
constexpr int64_t kMaxPackPosition = INT32_MAX;

struct PackEntry {
  unsigned char name[kEntryNameSize] = {};
  int32_t offset = 0;
  int32_t size = 0;
};

// Stores the derived 40-byte entry name: its first 39 bytes, then a zero.
void setEntryName(PackEntry* entry,
                  const unsigned char derived[kEntryNameSize]);

void encodeFixed32(unsigned char* dst, int32_t value);
int32_t decodeFixed32(const unsigned char* src);

// Serialises |entry| into exactly kSlotSize bytes.
void encodePackEntry(const PackEntry& entry, unsigned char dst[kSlotSize]);
PackEntry decodePackEntry(const unsigned char src[kSlotSize]);

// The size to record for a file of |length| bytes whose contents would
// start at |offset|: the length itself when both it and the end of the
// contents stay within kMaxPackPosition, else 0 (the file is not copied).
int32_t fittedSize(int64_t offset, int64_t length);

}  // namespace scrpack

#endif  // SCRPACK_PACK_PACK_FORMAT_H_
