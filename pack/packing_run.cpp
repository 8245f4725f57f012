#include "pack/packing_run.h"

#include <cstdint>
#include <string>

#include "pack/file_stream.h"
#include "pack/list_reader.h"
#include "pack/pack_format.h"
#include "status/status_output.h"

namespace scrpack {

const char kPackPath[] = "velkoscr";
const char kFinalLine[] = "Jpeg files are packed to velkoscr";

namespace {

// The pack file and the list file are open together for one pass; the copy
// pass keeps them open until the run ends.
struct PassFiles {
  ListReader list;
  FileStream pack;

  void open() {
    list.open();
    pack.open(kPackPath, platform::OpenMode::kUpdate);
  }
};

void writeEmptyDirectory(FileStream& pack) {
  const PackEntry empty;
  unsigned char slot[kSlotSize];
  encodePackEntry(empty, slot);
  for (int32_t i = 0; i < kSlotCount; ++i) pack.write(slot, sizeof slot);
}

int64_t inputLength(const std::string& name) {
  FileStream input;
  input.open(inputPath(name), platform::OpenMode::kUpdate);
  return input.length();
}

void directoryPass(PassFiles& files, StatusOutput& status) {
  files.pack.seek(kFirstEntryOffset);
  int64_t dataOffset = kDirectoryLength;
  int32_t slot = 1;
  PackEntry entry;
  while (!files.list.atEnd()) {
    const std::string name = files.list.readName();
    status.printLine(name);
    unsigned char derived[kEntryNameSize];
    deriveEntryName(name, derived);
    setEntryName(&entry, derived);
    const int32_t size = fittedSize(dataOffset, inputLength(name));
    // The directory is full after slot 31; later files are still copied
    // but no slot describes them.
    if (slot < kSlotCount) {
      entry.offset = static_cast<int32_t>(dataOffset);
      entry.size = size;
      unsigned char bytes[kSlotSize];
      encodePackEntry(entry, bytes);
      files.pack.write(bytes, sizeof bytes);
      ++slot;
    }
    dataOffset += size;
  }
}

void copyPass(PassFiles& files, StatusOutput& status) {
  files.pack.seek(kDirectoryLength);
  int64_t dataOffset = kDirectoryLength;
  while (!files.list.atEnd()) {
    const std::string name = files.list.readName();
    status.printLine(name);
    FileStream input;
    input.open(inputPath(name), platform::OpenMode::kUpdate);
    const int32_t count = fittedSize(dataOffset, input.length());
    input.copyTo(files.pack, count);
    dataOffset += count;
  }
}

}  // namespace

void runPacking(StatusOutput& status) {
  status.open(640, 480, 32, 1, 0, 0);
  platform::removeFile(kPackPath);

  PassFiles directory;
  directory.open();
  writeEmptyDirectory(directory.pack);
  directoryPass(directory, status);
  directory.list.close();
  directory.pack.close();

  PassFiles copy;
  copy.open();
  copyPass(copy, status);

  status.printLine(kFinalLine);
  status.pause(kFinalPauseMs);
  status.close();
  // |copy| closes here, after the status window: the pack's last bytes are
  // written out as the run ends.
}

}  // namespace scrpack
