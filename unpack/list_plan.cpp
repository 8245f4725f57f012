#include "unpack/list_plan.h"

#include "pack/list_reader.h"
#include "pack/pack_format.h"
#include "platform/file.h"

namespace scrpack {
namespace {

// Paths below |dir| in the packer's form, with backslashes that the file
// layer maps to the system's separator.
std::string below(const std::string& dir, const std::string& relative) {
  return dir.empty() ? relative : dir + "\\" + relative;
}

}  // namespace

std::string listPathIn(const std::string& dir) { return below(dir, kListPath); }

bool planFromList(const std::string& dir, std::vector<PlannedEntry>* plan) {
  plan->clear();
  const std::string listPath = listPathIn(dir);
  ListReader list;
  if (!list.open(listPath)) return false;
  int64_t dataOffset = kDirectoryLength;
  for (int slot = 1; slot < kSlotCount && !list.atEnd(); ++slot) {
    PlannedEntry entry;
    entry.slot = slot;
    entry.listedName = list.readName();
    unsigned char derived[kEntryNameSize];
    deriveEntryName(entry.listedName, derived);
    PackEntry stored;
    setEntryName(&stored, derived);
    size_t nameLength = kEntryNameSize;
    while (nameLength > 0 && stored.name[nameLength - 1] == 0) --nameLength;
    entry.storedName.assign(reinterpret_cast<const char*>(stored.name),
                            nameLength);
    // A name the packer cut for its length is never opened: size 0.
    const platform::OpenResult input =
        list.nameCut()
            ? platform::OpenResult()
            : platform::openFile(below(dir, inputPath(entry.listedName)),
                                 platform::OpenMode::kRead);
    entry.offset = static_cast<int32_t>(dataOffset);
    entry.size = fittedSize(dataOffset, input.file ? input.file->length() : 0);
    dataOffset += entry.size;
    plan->push_back(entry);
  }
  return true;
}

bool readPlannedFile(const std::string& dir, const PlannedEntry& entry,
                     std::vector<unsigned char>* bytes) {
  const std::unique_ptr<platform::FileHandle> file =
      platform::openFile(below(dir, inputPath(entry.listedName)),
                         platform::OpenMode::kRead)
          .file;
  if (!file) return false;
  const size_t limit = static_cast<size_t>(entry.size) + 1;
  bytes->resize(limit);
  size_t done = 0;
  while (done < limit) {
    const size_t n = file->readAt(static_cast<int64_t>(done),
                                  bytes->data() + done, limit - done);
    if (n == 0) break;
    done += n;
  }
  bytes->resize(done);
  return true;
}

}  // namespace scrpack
