#include "pack/file_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace scrpack {

platform::OpenOutcome FileStream::open(const std::string& path,
                                       platform::OpenMode mode,
                                       unsigned flags) {
  return adopt(platform::openFile(path, mode, flags));
}

platform::OpenOutcome FileStream::createNew(const std::string& path) {
  return adopt(platform::createNewFile(path));
}

platform::OpenOutcome FileStream::adopt(platform::OpenResult opened) {
  close();
  file_ = std::move(opened.file);
  openReason_ = std::move(opened.reason);
  writeFailed_ = false;
  writeFailure_.clear();
  position_ = 0;
  return opened.outcome;
}

int64_t FileStream::length() {
  if (!file_) return 0;
  const int64_t onDisk = file_->length();
  const int64_t pendingEnd =
      writeBuffer_.empty()
          ? 0
          : writeStart_ + static_cast<int64_t>(writeBuffer_.size());
  return std::max(onDisk, pendingEnd);
}

void FileStream::seek(int64_t position) {
  if (!file_ || position < 0) return;
  position_ = position;
}

size_t FileStream::read(void* buffer, size_t count) {
  if (!file_) return 0;
  // Reads see what was written before them.
  flushWrites();
  auto* out = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const int64_t bufferEnd =
        readStart_ + static_cast<int64_t>(readBuffer_.size());
    if (position_ >= readStart_ && position_ < bufferEnd) {
      const size_t offset = static_cast<size_t>(position_ - readStart_);
      const size_t n = std::min(count - done, readBuffer_.size() - offset);
      std::memcpy(out + done, readBuffer_.data() + offset, n);
      done += n;
      position_ += static_cast<int64_t>(n);
      continue;
    }
    if (count - done >= kDirectSize) {
      // Large reads go straight into the caller's buffer.
      const size_t n = file_->readAt(position_, out + done, count - done);
      done += n;
      position_ += static_cast<int64_t>(n);
      break;
    }
    readBuffer_.resize(kBufferSize);
    const size_t n = file_->readAt(position_, readBuffer_.data(), kBufferSize);
    readBuffer_.resize(n);
    readStart_ = position_;
    if (n == 0) break;
  }
  return done;
}

bool FileStream::readExact(void* buffer, size_t count) {
  if (!file_) return false;
  readPadded(buffer, count);
  return true;
}

size_t FileStream::readPadded(void* buffer, size_t count) {
  if (!file_) return 0;
  const size_t got = read(buffer, count);
  if (got < count) {
    std::memset(static_cast<unsigned char*>(buffer) + got, 0, count - got);
    // The unreadable bytes still count as read.
    position_ += static_cast<int64_t>(count - got);
  }
  return got;
}

void FileStream::write(const void* buffer, size_t count) {
  if (!file_ || count == 0) return;
  dropReadBuffer();
  const auto* in = static_cast<const unsigned char*>(buffer);
  const int64_t pendingEnd =
      writeStart_ + static_cast<int64_t>(writeBuffer_.size());
  if (!writeBuffer_.empty() &&
      (position_ != pendingEnd || writeBuffer_.size() + count > kBufferSize)) {
    flushWrites();
  }
  if (writeBuffer_.empty() && count >= kDirectSize) {
    writeThrough(position_, in, count);
    position_ += static_cast<int64_t>(count);
    return;
  }
  if (writeBuffer_.empty()) {
    writeBuffer_.reserve(kBufferSize);
    writeStart_ = position_;
  }
  writeBuffer_.insert(writeBuffer_.end(), in, in + count);
  position_ += static_cast<int64_t>(count);
}

void FileStream::writeZeros(int64_t count) {
  static const unsigned char kZeros[4096] = {};
  while (count > 0) {
    const size_t n = static_cast<size_t>(
        std::min<int64_t>(count, static_cast<int64_t>(sizeof kZeros)));
    write(kZeros, n);
    count -= static_cast<int64_t>(n);
  }
}

int64_t FileStream::copyTo(FileStream& target, int64_t count) {
  if (!file_ || count <= 0) return 0;
  if (!target.file_) {
    position_ += count;  // nothing can be written anyway
    return 0;
  }
  // Let the system move the bytes where it can.
  flushWrites();
  dropReadBuffer();
  target.flushWrites();
  target.dropReadBuffer();
  const size_t moved = file_->copyTo(position_, *target.file_, target.position_,
                                     static_cast<size_t>(count));
  position_ += static_cast<int64_t>(moved);
  target.position_ += static_cast<int64_t>(moved);
  // The rest, and all of it where the system cannot: zeros stand in for
  // bytes that cannot be read.
  int64_t left = count - static_cast<int64_t>(moved);
  int64_t unread = 0;
  std::vector<unsigned char> block;
  while (left > 0) {
    const size_t n = static_cast<size_t>(
        std::min<int64_t>(left, static_cast<int64_t>(kBufferSize)));
    block.resize(n);
    unread += static_cast<int64_t>(n - readPadded(block.data(), n));
    target.write(block.data(), n);
    left -= static_cast<int64_t>(n);
  }
  return unread;
}

std::string FileStream::readFailure() const {
  return file_ ? file_->failure() : std::string();
}

bool FileStream::sync() {
  if (!file_) return false;
  flushWrites();
  if (file_->sync()) return true;
  noteWriteFailure();
  return false;
}

bool FileStream::resize(int64_t length) {
  if (!file_) return false;
  flushWrites();
  dropReadBuffer();
  if (file_->resize(length)) return true;
  noteWriteFailure();
  return false;
}

platform::FileId FileStream::id() {
  return file_ ? file_->id() : platform::FileId();
}

void FileStream::writeThrough(int64_t position, const unsigned char* bytes,
                              size_t count) {
  if (file_->writeAt(position, bytes, count) < count) noteWriteFailure();
}

void FileStream::noteWriteFailure() {
  if (writeFailed_) return;
  writeFailed_ = true;
  writeFailure_ = file_->failure();
}

void FileStream::flushWrites() {
  if (writeBuffer_.empty()) return;
  writeThrough(writeStart_, writeBuffer_.data(), writeBuffer_.size());
  writeBuffer_.clear();
}

void FileStream::dropReadBuffer() {
  readBuffer_.clear();
  readStart_ = 0;
}

void FileStream::close() {
  if (!file_) return;
  flushWrites();
  dropReadBuffer();
  file_.reset();
  position_ = 0;
}

}  // namespace scrpack
