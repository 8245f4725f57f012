#include "pack/packing_run.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "pack/file_stream.h"
#include "pack/list_reader.h"
#include "pack/pack_file.h"
#include "pack/pack_format.h"
#include "pack/problems.h"
#include "platform/system.h"
#include "status/status_output.h"

namespace scrpack {

const char kPackPath[] = "velkoscr";
const char kFinalLine[] = "Jpeg files are packed to velkoscr";

namespace {

// The status window the run asks for: 640 x 480 pixels of 32 bits, one
// page, no option flags, and the display's own refresh rate.
constexpr int32_t kWindowWidth = 640;
constexpr int32_t kWindowHeight = 480;
constexpr int32_t kWindowBitsPerPixel = 32;
constexpr int32_t kWindowPages = 1;
constexpr int32_t kWindowFlags = 0;
constexpr int32_t kDisplaysRefreshRate = 0;

// Input files: a missing one is created empty, but only inside data/.
constexpr unsigned kInputFlags = platform::kCreateBeneath;

// What the directory pass leaves for the copy pass besides the pack: the
// size of every entry, a fixed 31 of them whatever the list holds.
struct Directory {
  int32_t sizes[kSlotCount] = {};
  unsigned char names[kSlotCount][kEntryNameSize] = {};
  int32_t used = 1;  // slot 0 is never used
};

// One name of the list as both passes show it.
struct ListedName {
  std::string name;   // the kept bytes
  bool cut = false;   // longer than a name keeps: never opened
  std::string shown;  // its status line: the kept bytes, "..." when cut

  static ListedName read(ListReader& list) {
    ListedName listed;
    listed.name = list.readName();
    listed.cut = list.nameCut();
    listed.shown = listed.cut ? listed.name + kCutMark : listed.name;
    return listed;
  }
};

class Run {
 public:
  explicit Run(StatusOutput& status)
      : status_(status), problems_(status), pack_(problems_) {}

  int run();

 private:
  bool readList(ListReader& list, ListedName* listed);
  void directoryPass(ListReader& list);
  int64_t copyPass(ListReader& list);
  int32_t enterName(const ListedName& listed, int64_t dataOffset);
  void writeEntry(const ListedName& listed, int32_t size, int64_t dataOffset);
  int32_t copyName(const ListedName& listed, int32_t index, int64_t dataOffset);
  void sayList(const char* phrase, const std::string& reason) {
    problems_.say(platform::shownPath(kListPath), phrase, reason);
  }

  StatusOutput& status_;
  Problems problems_;
  PackFile pack_;
  Directory directory_;
  bool listFailureSaid_ = false;
};

void writeEmptyDirectory(FileStream& pack) {
  const PackEntry empty;
  unsigned char slot[kSlotSize];
  encodePackEntry(empty, slot);
  for (int32_t i = 0; i < kSlotCount; ++i) pack.write(slot, sizeof slot);
}

// Reads the next name, if there is one, and shows it.
bool Run::readList(ListReader& list, ListedName* listed) {
  const bool more = !list.atEnd();
  if (more) {
    *listed = ListedName::read(list);
    status_.printLine(listed->shown);
  }
  if (list.readFailed() && !listFailureSaid_) {
    listFailureSaid_ = true;
    sayList(kListReadFailed, list.readFailure());
  }
  return more;
}

// The input's entry size, with the problems that the directory pass finds.
int32_t Run::enterName(const ListedName& listed, int64_t dataOffset) {
  if (listed.cut) {
    problems_.say(listed.shown, kNameTooLong);
    return 0;
  }
  if (listed.name.empty()) {
    problems_.say(kEmptyLineSubject, kEmptyName);
    return 0;
  }
  FileStream input;
  switch (input.open(inputPath(listed.name), platform::OpenMode::kUpdate,
                     kInputFlags)) {
    case platform::OpenOutcome::kCreated:
    case platform::OpenOutcome::kMissing:
      problems_.say(listed.shown, kNotFound);
      return 0;
    case platform::OpenOutcome::kRefused:
      problems_.say(listed.shown, kCannotBeRead, input.openReason());
      return 0;
    default:
      break;
  }
  const int64_t length = input.length();
  const int32_t size = fittedSize(dataOffset, length);
  if (length > 0 && size == 0) problems_.say(listed.shown, kTooLarge);
  return size;
}

void Run::writeEntry(const ListedName& listed, int32_t size,
                     int64_t dataOffset) {
  const bool empty = listed.name.empty();
  if (directory_.used == kSlotCount) {
    // The directory is full after slot 31; later files are still copied
    // but no slot describes them.
    if (!empty) problems_.say(listed.shown, kNoSlotLeft);
    return;
  }
  const int32_t slot = directory_.used++;
  PackEntry entry;
  unsigned char derived[kEntryNameSize];
  deriveEntryName(listed.name, derived);
  setEntryName(&entry, derived);
  entry.offset = static_cast<int32_t>(dataOffset);
  entry.size = size;
  unsigned char bytes[kSlotSize];
  encodePackEntry(entry, bytes);
  pack_.stream().write(bytes, sizeof bytes);
  directory_.sizes[slot] = size;
  std::memcpy(directory_.names[slot], entry.name, kEntryNameSize);
  if (empty) return;
  for (int32_t earlier = 1; earlier < slot; ++earlier) {
    if (std::memcmp(directory_.names[earlier], entry.name, kEntryNameSize) ==
        0) {
      problems_.say(listed.shown, kSameEntryName);
      return;
    }
  }
}

void Run::directoryPass(ListReader& list) {
  pack_.beginDirectoryPass();
  writeEmptyDirectory(pack_.stream());
  pack_.stream().seek(kFirstEntryOffset);
  int64_t dataOffset = kDirectoryLength;
  ListedName listed;
  while (readList(list, &listed)) {
    const int32_t size = enterName(listed, dataOffset);
    writeEntry(listed, size, dataOffset);
    dataOffset += size;
    pack_.checkWrites();
  }
  pack_.endPass();
}

// Copies one input; gives how many bytes of the data area it took.
int32_t Run::copyName(const ListedName& listed, int32_t index,
                      int64_t dataOffset) {
  if (listed.cut || listed.name.empty()) return 0;
  const bool described = index < kSlotCount;
  FileStream input;
  input.open(inputPath(listed.name), platform::OpenMode::kUpdate, kInputFlags);
  const int64_t length = input.length();
  const int32_t fitted = fittedSize(dataOffset, length);
  // A file with an entry takes exactly the entry's size, cut or padded,
  // so every later entry's offset stays true.
  const int32_t size = described ? directory_.sizes[index] : fitted;
  if (fitted != size) problems_.say(listed.shown, kChangedWhilePacking);
  const int64_t copied = std::min<int64_t>(size, length);
  FileStream& pack = pack_.stream();
  if (input.copyTo(pack, copied) > 0) {
    problems_.say(listed.shown, kReadFailed, input.readFailure());
  }
  if (pack.isOpen()) pack.writeZeros(size - copied);
  return size;
}

int64_t Run::copyPass(ListReader& list) {
  pack_.beginCopyPass();
  pack_.stream().seek(kDirectoryLength);
  int64_t dataOffset = kDirectoryLength;
  int32_t index = 1;
  ListedName listed;
  while (readList(list, &listed)) {
    dataOffset += copyName(listed, index, dataOffset);
    if (index < kSlotCount) ++index;
    pack_.checkWrites();
  }
  return dataOffset;
}

int Run::run() {
  ListReader list;
  if (!list.open()) {
    // Nothing is deleted or written: an old pack stays as it was.
    sayList(kListCannotBeRead, list.openReason());
  } else {
    directoryPass(list);
    list.close();
    if (!list.open()) sayList(kListReadFailed, list.openReason());
    pack_.finish(copyPass(list));
  }
  return problems_.count() > 0 ? kExitProblems : kExitPacked;
}

}  // namespace

int runPacking(StatusOutput& status) {
  status.open(kWindowWidth, kWindowHeight, kWindowBitsPerPixel, kWindowPages,
              kWindowFlags, kDisplaysRefreshRate);
  int exitStatus;
  {
    // Until the pack is in place, an interrupt ends the run at once and
    // takes the temporary pack with it; in the final pause it ends the
    // pause as usual.
    platform::InterruptExit interrupts;
    Run run(status);
    exitStatus = run.run();
  }
  status.printLine(kFinalLine);
  status.pause(kFinalPauseMs);
  status.close();
  return exitStatus;
}

}  // namespace scrpack
