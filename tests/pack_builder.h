// Packs built slot by slot for tests, damaged ones included, independent
// of the packer.
#ifndef SCRPACK_TESTS_PACK_BUILDER_H_
#define SCRPACK_TESTS_PACK_BUILDER_H_

#include <algorithm>
#include <cstdint>
#include <string>

#include "pack/pack_format.h"

namespace scrpack {
namespace test {

class PackBuilder {
 public:
  PackBuilder() : bytes_(static_cast<size_t>(kDirectoryLength), '\0') {}

  // Sets slot |slot| (0 to 31); |name| is stored as given, up to 40 bytes.
  PackBuilder& slot(int slot, const std::string& name, int32_t offset,
                    int32_t size) {
    PackEntry entry;
    std::copy_n(name.begin(), std::min(name.size(), kEntryNameSize),
                entry.name);
    entry.offset = offset;
    entry.size = size;
    encodePackEntry(
        entry, reinterpret_cast<unsigned char*>(&bytes_[0]) + slot * kSlotSize);
    return *this;
  }
  // Appends |bytes| to the pack.
  PackBuilder& data(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Bytes that look like a JPEG to a reader: FF D8 ... FF D9.
inline std::string jpegLike(const std::string& middle) {
  return "\xFF\xD8" + middle + "\xFF\xD9";
}

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_PACK_BUILDER_H_
