#include "pack/pack_format.h"

#include <cstring>

namespace scrpack {

void setEntryName(PackEntry* entry,
                  const unsigned char derived[kEntryNameSize]) {
  std::memcpy(entry->name, derived, kStoredNameBytes);
  entry->name[kStoredNameBytes] = 0;
}

void encodeFixed32(unsigned char* dst, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  dst[0] = static_cast<unsigned char>(v);
  dst[1] = static_cast<unsigned char>(v >> 8);
  dst[2] = static_cast<unsigned char>(v >> 16);
  dst[3] = static_cast<unsigned char>(v >> 24);
}

int32_t decodeFixed32(const unsigned char* src) {
  const uint32_t v = static_cast<uint32_t>(src[0]) |
                     (static_cast<uint32_t>(src[1]) << 8) |
                     (static_cast<uint32_t>(src[2]) << 16) |
                     (static_cast<uint32_t>(src[3]) << 24);
  return static_cast<int32_t>(v);
}

void encodePackEntry(const PackEntry& entry, unsigned char dst[kSlotSize]) {
  std::memcpy(dst, entry.name, kEntryNameSize);
  encodeFixed32(dst + kEntryOffsetField, entry.offset);
  encodeFixed32(dst + kEntrySizeField, entry.size);
}

PackEntry decodePackEntry(const unsigned char src[kSlotSize]) {
  PackEntry entry;
  std::memcpy(entry.name, src, kEntryNameSize);
  entry.offset = decodeFixed32(src + kEntryOffsetField);
  entry.size = decodeFixed32(src + kEntrySizeField);
  return entry;
}

int32_t fittedSize(int64_t offset, int64_t length) {
  if (length < 0 || length >= kMaxPackPosition) return 0;
  if (offset < 0 || offset + length > kMaxPackPosition) return 0;
  return static_cast<int32_t>(length);
}

}  // namespace scrpack
