// Buffered access to one file of the packing run, with the run's rules for
// failure: a file that could not be opened is inert (length 0, reads give
// nothing, writes and seeks do nothing), a byte that cannot be read comes
// back as zero, and a failed write loses its bytes; the stream remembers
// the first such failure for the caller to report.
#ifndef SCRPACK_PACK_FILE_STREAM_H_
#define SCRPACK_PACK_FILE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"

namespace scrpack {

class FileStream {
 public:
  FileStream() = default;
  ~FileStream() { close(); }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Opens |path| (backslash separated) in the given mode, with
  // platform::OpenFlag |flags|; on failure the stream stays closed and
  // inert. openReason() gives the system's words for a shortfall.
  platform::OpenOutcome open(const std::string& path, platform::OpenMode mode,
                             unsigned flags = 0);
  // Creates |path| anew and opens it, as platform::createNewFile() does.
  platform::OpenOutcome createNew(const std::string& path);
  bool isOpen() const { return file_ != nullptr; }
  const std::string& openReason() const { return openReason_; }

  int64_t length();
  void seek(int64_t position);
  // Fills |buffer| with the next |count| bytes from the position; bytes that
  // cannot be read are zero. Returns false, and leaves |buffer| untouched,
  // only when the stream is closed.
  bool readExact(void* buffer, size_t count);
  // Fills |buffer| as readExact() does; returns how many bytes were read.
  size_t readPadded(void* buffer, size_t count);
  // Reads up to |count| bytes; returns how many were available.
  size_t read(void* buffer, size_t count);
  void write(const void* buffer, size_t count);
  void writeZeros(int64_t count);
  // Moves the next |count| bytes of this stream to |target|'s position, as
  // a read of them followed by a write would: bytes that cannot be read
  // arrive as zeros. Both positions advance by |count|. Returns how many
  // bytes could not be read.
  int64_t copyTo(FileStream& target, int64_t count);
  // The system's words for the latest failed read; empty when none failed.
  std::string readFailure() const;

  // Writes out what is buffered, then through to the disk.
  bool sync();
  // Writes out what is buffered and cuts the file to |length| bytes; a
  // failure counts as a failed write.
  bool resize(int64_t length);
  // Which file is open; a default id when none is.
  platform::FileId id();

  // Whether a write has failed or fallen short since the stream was opened,
  // and the system's words for the first such failure.
  bool writeFailed() const { return writeFailed_; }
  const std::string& writeFailure() const { return writeFailure_; }

  // Writes out what is buffered and closes.
  void close();

 private:
  static constexpr size_t kBufferSize = 128 * 1024;
  // Reads and writes of this size or more bypass the buffers: the copy
  // moves whole blocks, and a second copy through a buffer costs time.
  static constexpr size_t kDirectSize = 16 * 1024;

  void flushWrites();
  void dropReadBuffer();
  platform::OpenOutcome adopt(platform::OpenResult opened);
  void noteWriteFailure();
  void writeThrough(int64_t position, const unsigned char* bytes, size_t count);

  std::unique_ptr<platform::FileHandle> file_;
  std::string openReason_;
  bool writeFailed_ = false;
  std::string writeFailure_;
  int64_t position_ = 0;
  // Read-ahead: bytes [readStart_, readStart_ + readBuffer_.size()).
  std::vector<unsigned char> readBuffer_;
  int64_t readStart_ = 0;
  // Pending writes: bytes [writeStart_, writeStart_ + writeBuffer_.size()).
  std::vector<unsigned char> writeBuffer_;
  int64_t writeStart_ = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_PACK_FILE_STREAM_H_
