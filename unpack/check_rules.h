// What `scrunpack check` finds wrong with a pack: problems that make a
// reader go wrong or that the packer never writes, and warnings about
// packs that are sound but likely not what was meant.
#ifndef SCRPACK_UNPACK_CHECK_RULES_H_
#define SCRPACK_UNPACK_CHECK_RULES_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "reader/pack_reader.h"

namespace scrpack {

enum class Severity { kProblem, kWarning };

struct Finding {
  Severity severity = Severity::kProblem;
  int slot = 0;  // 0: the pack as a whole
  std::string message;
};

// Everything the pack itself shows: entries outside the data area or past
// its end, overlapping entries, entries not laid back to back from byte
// 1536, bytes that no entry describes after the last one, duplicate names
// and empty slots before used ones are problems; empty entries, entries
// that do not look like JPEG and a used slot 0 are warnings.
std::vector<Finding> checkPack(PackReader& pack);

// An entry as the packer would write it from the list now.
struct PlannedEntry {
  int slot = 0;
  std::string listedName;  // the name as the list gives it
  std::string storedName;  // as PackItem::name holds it
  int32_t offset = 0;
  int32_t size = 0;
};

// Gives the current contents of a planned entry's file; false when it
// cannot be read.
using PlannedContents =
    std::function<bool(const PlannedEntry&, std::vector<unsigned char>*)>;

// Problems for every entry that is missing from the pack, extra in it, or
// different from |plan| in its name, offset, size or contents.
std::vector<Finding> compareWithPlan(PackReader& pack,
                                     const std::vector<PlannedEntry>& plan,
                                     const PlannedContents& contents);

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_CHECK_RULES_H_
