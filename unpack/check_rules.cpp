#include "unpack/check_rules.h"

#include <algorithm>
#include <map>

#include "pack/pack_format.h"
#include "unpack/name_text.h"

namespace scrpack {
namespace {

std::string label(const PackItem& item) {
  return "slot " + std::to_string(item.slot) + " " + shownName(item.name);
}

class Findings {
 public:
  void problem(int slot, const std::string& message) {
    list_.push_back({Severity::kProblem, slot, message});
  }
  void warning(int slot, const std::string& message) {
    list_.push_back({Severity::kWarning, slot, message});
  }
  std::vector<Finding> take() { return std::move(list_); }

 private:
  std::vector<Finding> list_;
};

int64_t endOf(const PackItem& item) {
  return int64_t{item.offset} + int64_t{item.size};
}

void checkPlace(const PackReader& pack, const PackItem& item, Findings* out) {
  const std::string at = label(item);
  if (item.offset < 0) {
    out->problem(item.slot,
                 at + ": negative offset " + std::to_string(item.offset));
  } else if (item.offset < kDirectoryLength) {
    out->problem(item.slot, at + ": starts at byte " +
                                std::to_string(item.offset) +
                                ", inside the directory");
  }
  if (item.size < 0) {
    out->problem(item.slot,
                 at + ": negative size " + std::to_string(item.size));
  } else if (item.offset >= 0 && endOf(item) > pack.length()) {
    out->problem(item.slot,
                 at + ": ends at byte " + std::to_string(endOf(item)) +
                     ", past the end of the pack at byte " +
                     std::to_string(pack.length()) + ": the pack is truncated");
  }
}

void checkOverlaps(const std::vector<PackItem>& items, Findings* out) {
  for (size_t i = 0; i < items.size(); ++i) {
    for (size_t j = i + 1; j < items.size(); ++j) {
      const PackItem& a = items[i];
      const PackItem& b = items[j];
      if (a.size <= 0 || b.size <= 0 || a.offset < 0 || b.offset < 0) continue;
      const int64_t start = std::max<int64_t>(a.offset, b.offset);
      const int64_t end = std::min(endOf(a), endOf(b));
      if (start < end) {
        out->problem(b.slot, label(b) + ": overlaps " + label(a) +
                                 " in bytes " + std::to_string(start) + " to " +
                                 std::to_string(end - 1));
      }
    }
  }
}

// The packer lays the entries back to back from the data area's start, in
// slot order, from slot 1 without gaps.
void checkSequence(const PackReader& pack, Findings* out) {
  int64_t expected = kDirectoryLength;
  int expectedSlot = 1;
  for (const PackItem& item : pack.items()) {
    if (item.slot != expectedSlot) {
      out->problem(expectedSlot, "slot " + std::to_string(expectedSlot) +
                                     " is empty, but later slots hold entries");
    }
    expectedSlot = item.slot + 1;
    if (item.offset != expected) {
      out->problem(item.slot, label(item) + ": starts at byte " +
                                  std::to_string(item.offset) + ", expected " +
                                  std::to_string(expected) +
                                  (expected == kDirectoryLength
                                       ? " where the data area begins"
                                       : " where the entry before it ends"));
    }
    expected = item.size >= 0 ? endOf(item) : int64_t{item.offset};
  }
  int64_t lastEnd = kDirectoryLength;
  for (const PackItem& item : pack.items()) {
    if (item.offset >= kDirectoryLength && item.size >= 0) {
      lastEnd = std::max(lastEnd, endOf(item));
    }
  }
  if (pack.length() > lastEnd) {
    out->problem(0, std::to_string(pack.length() - lastEnd) +
                        " bytes after the last entry's end at byte " +
                        std::to_string(lastEnd) +
                        " belong to no entry (the packer puts its 32nd and "
                        "later files there)");
  }
}

void checkNames(const PackReader& pack, Findings* out) {
  std::map<std::string, const PackItem*> first;
  for (const PackItem& item : pack.items()) {
    if (!pack.find(item.name)) {
      // The packer lowers A-Z and keeps byte 39 zero; a reader looks names
      // up the same way.
      out->problem(item.slot, label(item) +
                                  ": a reader cannot find it by its name, "
                                  "which holds capitals or 40 bytes");
    }
    const auto inserted = first.emplace(item.name, &item);
    if (!inserted.second) {
      const PackItem& earlier = *inserted.first->second;
      out->problem(item.slot, label(item) + ": same name as slot " +
                                  std::to_string(earlier.slot) +
                                  "; a reader finds only slot " +
                                  std::to_string(earlier.slot));
    }
  }
}

void checkContents(PackReader& pack, const PackItem& item, Findings* out) {
  if (item.size == 0) {
    out->warning(item.slot, label(item) + ": empty (size 0)");
    return;
  }
  if (!pack.inRange(item)) return;
  unsigned char head[2] = {};
  unsigned char tail[2] = {};
  const bool sized = item.size >= 2;
  const bool headOk = sized &&
                      pack.read(item, 0, head, 2) == PackError::kNone &&
                      head[0] == 0xFF && head[1] == 0xD8;
  const bool tailOk =
      sized && pack.read(item, item.size - 2, tail, 2) == PackError::kNone &&
      tail[0] == 0xFF && tail[1] == 0xD9;
  if (!headOk || !tailOk) {
    std::string why = !headOk && !tailOk ? "no FF D8 at the start, no FF D9 "
                                           "at the end"
                      : !headOk          ? "no FF D8 at the start"
                                         : "no FF D9 at the end";
    out->warning(item.slot,
                 label(item) + ": does not look like a JPEG (" + why + ")");
  }
}

}  // namespace

std::vector<Finding> checkPack(PackReader& pack) {
  Findings out;
  if (pack.slotZeroUsed()) {
    out.warning(0, "slot 0 is not all zero; readers do not look at it");
  }
  for (const PackItem& item : pack.items()) checkPlace(pack, item, &out);
  checkOverlaps(pack.items(), &out);
  checkSequence(pack, &out);
  checkNames(pack, &out);
  for (const PackItem& item : pack.items()) checkContents(pack, item, &out);
  std::vector<Finding> findings = out.take();
  // Problems first, each kind in slot order.
  std::stable_sort(
      findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return a.severity != b.severity ? a.severity == Severity::kProblem
                                        : a.slot < b.slot;
      });
  return findings;
}

std::vector<Finding> compareWithPlan(PackReader& pack,
                                     const std::vector<PlannedEntry>& plan,
                                     const PlannedContents& contents) {
  Findings out;
  std::map<int, const PackItem*> items;
  for (const PackItem& item : pack.items()) items[item.slot] = &item;
  std::map<int, const PlannedEntry*> planned;
  for (const PlannedEntry& entry : plan) planned[entry.slot] = &entry;
  for (int slot = 1; slot < kSlotCount; ++slot) {
    const PackItem* item = items.count(slot) ? items[slot] : nullptr;
    const PlannedEntry* want = planned.count(slot) ? planned[slot] : nullptr;
    const std::string number = "slot " + std::to_string(slot);
    if (!item && !want) continue;
    if (!item) {
      out.problem(slot, number + ": missing entry for the listed file " +
                            shownName(want->listedName));
      continue;
    }
    if (!want) {
      out.problem(slot, label(*item) +
                            ": extra entry; the list has no file "
                            "for it");
      continue;
    }
    if (item->name != want->storedName) {
      out.problem(slot, label(*item) + ": different name; the list gives " +
                            shownName(want->listedName));
    } else if (item->offset != want->offset || item->size != want->size) {
      out.problem(slot, label(*item) + ": offset " +
                            std::to_string(item->offset) + " and size " +
                            std::to_string(item->size) +
                            "; the packer would write offset " +
                            std::to_string(want->offset) + " and size " +
                            std::to_string(want->size));
    } else if (pack.inRange(*item)) {
      std::vector<unsigned char> packed;
      std::vector<unsigned char> file;
      if (pack.read(*item, &packed) != PackError::kNone ||
          !contents(*want, &file) || packed != file) {
        out.problem(slot, label(*item) +
                              ": different contents from the "
                              "listed file");
      }
    }
  }
  return out.take();
}

}  // namespace scrpack
