#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include "platform/file.h"

namespace scrpack {
namespace platform {
namespace {

std::string nativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

class PosixFile final : public FileHandle {
 public:
  // |openLength| is the length that the open found; it answers length()
  // until this handle writes, which saves every input file a second fstat
  // (in a run over many small files, system calls are a large share).
  PosixFile(int fd, int64_t openLength) : fd_(fd), knownLength_(openLength) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int64_t length() override {
    if (knownLength_ >= 0) return knownLength_;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return 0;
    return static_cast<int64_t>(st.st_size);
  }

  size_t readAt(int64_t position, void* buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, count - done,
                          static_cast<off_t>(position + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }

  size_t writeAt(int64_t position, const void* buffer, size_t count) override {
    knownLength_ = -1;
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done,
                           count - done, static_cast<off_t>(position + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }

  size_t copyTo(int64_t position, FileHandle& target, int64_t targetPosition,
                size_t count) override {
#ifdef SYS_copy_file_range
    auto* posixTarget = dynamic_cast<PosixFile*>(&target);
    if (!posixTarget) return 0;
    posixTarget->knownLength_ = -1;
    loff_t from = position;
    loff_t to = targetPosition;
    size_t done = 0;
    while (done < count) {
      // Stops at the end of the source, and on file systems or file pairs
      // where the kernel refuses (EXDEV, EINVAL, ENOSYS...).
      const ssize_t n =
          ::copy_file_range(fd_, &from, posixTarget->fd_, &to, count - done, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
#else
    return FileHandle::copyTo(position, target, targetPosition, count);
#endif
  }

 private:
  int fd_;
  int64_t knownLength_;  // -1 once this handle has written
};

// O_NONBLOCK keeps a FIFO from blocking the open; anything but a plain file
// is refused right after, and on plain files the flag has no effect. Gives
// the descriptor and sets |length|, or -1.
int openPlain(const std::string& path, int flags, int64_t* length) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  *length = static_cast<int64_t>(st.st_size);
  return fd;
}

}  // namespace

std::unique_ptr<FileHandle> openFile(const std::string& path, OpenMode mode) {
  const std::string native = nativePath(path);
  if (native.empty()) return nullptr;
  int fd = -1;
  int64_t length = 0;
  if (mode == OpenMode::kUpdate) {
    fd = openPlain(native, O_RDWR, &length);
    if (fd < 0) fd = openPlain(native, O_RDWR | O_CREAT, &length);
  }
  if (fd < 0) fd = openPlain(native, O_RDONLY, &length);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFile>(fd, length);
}

void removeFile(const std::string& path) { ::unlink(nativePath(path).c_str()); }

}  // namespace platform
}  // namespace scrpack
