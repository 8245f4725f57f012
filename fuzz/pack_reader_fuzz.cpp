// PackReader and the check rules on arbitrary bytes as a pack: no crash,
// no read outside the pack, and what is read is the pack's own bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "reader/pack_reader.h"
#include "unpack/check_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  scrpack::PackReader pack;
  if (pack.openBytes(data, size) != scrpack::PackError::kNone) {
    FUZZ_CHECK(size < 1536 && pack.items().empty());
    return 0;
  }
  FUZZ_CHECK(pack.length() == static_cast<int64_t>(size));
  FUZZ_CHECK(pack.items().size() <= 31);
  for (const scrpack::PackItem& item : pack.items()) {
    // Every name the packer could store is found, first slot first.
    const scrpack::PackItem* found = pack.find(item.name);
    const bool storable =
        item.name.size() <= 39 &&
        std::none_of(item.name.begin(), item.name.end(),
                     [](char c) { return c >= 'A' && c <= 'Z'; });
    FUZZ_CHECK(!storable || (found != nullptr && found->name == item.name &&
                             found->slot <= item.slot));
    std::vector<unsigned char> bytes;
    const scrpack::PackError error = pack.read(item, &bytes);
    if (!pack.inRange(item)) {
      FUZZ_CHECK(error == scrpack::PackError::kOutOfRange && bytes.empty());
      continue;
    }
    FUZZ_CHECK(error == scrpack::PackError::kNone);
    FUZZ_CHECK(bytes.size() == static_cast<size_t>(item.size));
    FUZZ_CHECK(bytes.empty() || std::memcmp(bytes.data(), data + item.offset,
                                            bytes.size()) == 0);
    unsigned char middle[4];
    const int64_t start = item.size / 2;
    const size_t count =
        static_cast<size_t>(item.size - start < 4 ? item.size - start : 4);
    FUZZ_CHECK(pack.read(item, start, middle, count) ==
               scrpack::PackError::kNone);
    FUZZ_CHECK(pack.read(item, start, middle,
                         5 + static_cast<size_t>(item.size - start)) ==
               scrpack::PackError::kOutsideEntry);
  }
  for (const scrpack::Finding& finding : scrpack::checkPack(pack)) {
    FUZZ_CHECK(!finding.message.empty() && finding.slot >= 0 &&
               finding.slot < 32);
  }
  return 0;
}
