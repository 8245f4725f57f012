#include "pack/pack_file.h"

#include "pack/packing_run.h"
#include "pack/problems.h"
#include "platform/system.h"

namespace scrpack {
namespace {

// Names of our own for the temporary pack, tried in turn while one of
// them is taken (by a run that was killed, say).
constexpr int kTemporaryNames = 8;

std::string temporaryName(int attempt) {
  std::string name =
      std::string(kPackPath) + "." + std::to_string(platform::processId());
  if (attempt > 0) name += "-" + std::to_string(attempt);
  return name + ".tmp";
}

}  // namespace

PackFile::~PackFile() {
  if (temporary_) dropTemporary();
}

void PackFile::say(const char* phrase, const std::string& reason) {
  problems_.say(platform::shownPath(kPackPath), phrase, reason);
}

void PackFile::dropTemporary() {
  stream_.close();
  platform::removeOnInterrupt(std::string());
  platform::removeFile(path_);
  temporary_ = false;
}

void PackFile::beginDirectoryPass() {
  if (platform::mayReplace(kPackPath)) {
    for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
      const std::string name = temporaryName(attempt);
      // Before the file exists: an interrupt right after its creation
      // must find its name already.
      platform::removeOnInterrupt(name);
      const platform::OpenOutcome made = stream_.createNew(name);
      if (made == platform::OpenOutcome::kCreated) {
        path_ = name;
        temporary_ = true;
        writable_ = true;
        id_ = stream_.id();
        return;
      }
      platform::removeOnInterrupt(std::string());
      // Anything but a name that is taken means no file can be made here.
      if (made != platform::OpenOutcome::kRefused) break;
    }
  }
  path_ = kPackPath;
  platform::removeFile(kPackPath);
  const platform::OpenOutcome opened =
      stream_.open(kPackPath, platform::OpenMode::kUpdate, platform::kNoFollow);
  if (opened == platform::OpenOutcome::kOpened ||
      opened == platform::OpenOutcome::kCreated) {
    writable_ = true;
    id_ = stream_.id();
    return;
  }
  stream_.close();
  say(kPackCannotBeWritten, stream_.openReason());
}

void PackFile::endPass() {
  stream_.close();
  checkWrites();
}

void PackFile::beginCopyPass() {
  if (!writable_) return;
  stream_.open(path_, platform::OpenMode::kRewrite, platform::kNoFollow);
  if (stream_.isOpen() && stream_.id() == id_) return;
  stream_.close();
  writable_ = false;
  if (temporary_) {
    // What the name holds now is not ours to remove.
    platform::removeOnInterrupt(std::string());
    temporary_ = false;
  }
  say(kPackReplaced);
}

void PackFile::checkWrites() {
  if (writeFailed_ || !stream_.writeFailed()) return;
  writeFailed_ = true;
  say(temporary_ ? kPackWriteFailedLeft : kPackIncomplete,
      stream_.writeFailure());
}

void PackFile::finish(int64_t end) {
  if (writable_) {
    // An old pack written in place keeps no bytes past the new end.
    if (!temporary_ && stream_.length() > end) stream_.resize(end);
    stream_.sync();
    checkWrites();
    stream_.close();
  }
  if (!temporary_) return;
  if (writeFailed_) {
    dropTemporary();
    return;
  }
  std::string reason;
  if (!platform::replaceFile(path_, kPackPath, &reason)) {
    copyInPlace();
    return;
  }
  platform::removeOnInterrupt(std::string());
  temporary_ = false;
}

void PackFile::copyInPlace() {
  FileStream target;
  const platform::OpenOutcome opened =
      target.open(kPackPath, platform::OpenMode::kUpdate, platform::kNoFollow);
  if (opened != platform::OpenOutcome::kOpened &&
      opened != platform::OpenOutcome::kCreated) {
    say(kPackCannotBeWritten, target.openReason());
  } else {
    FileStream source;
    source.open(path_, platform::OpenMode::kRead, platform::kNoFollow);
    const int64_t length = source.length();
    if (source.copyTo(target, length) > 0) {
      say(kPackIncomplete, source.readFailure());
    } else {
      target.resize(length);
      target.sync();
      if (target.writeFailed()) say(kPackIncomplete, target.writeFailure());
    }
  }
  dropTemporary();
}

}  // namespace scrpack
