#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace scrpack {
namespace platform {
namespace {

std::string nativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

class PosixFile : public FileHandle {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int64_t length() override {
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

  size_t writeAt(int64_t position, const void* buffer,
                 size_t count) override {
    size_t done = 0;
    while (done < count) {
      ssize_t n =
          ::pwrite(fd_, static_cast<const char*>(buffer) + done, count - done,
                   static_cast<off_t>(position + done));
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
    loff_t from = position;
    loff_t to = targetPosition;
    size_t done = 0;
    while (done < count) {
      // Stops at the end of the source, and on file systems or file pairs
      // where the kernel refuses (EXDEV, EINVAL, ENOSYS...).
      const ssize_t n = ::copy_file_range(fd_, &from, posixTarget->fd_, &to,
                                          count - done, 0);
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
};

// O_NONBLOCK keeps a FIFO from blocking the open; anything but a plain file
// is refused right after, and on plain files the flag has no effect.
int openPlain(const std::string& path, int flags) {
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
  return fd;
}

}  // namespace

std::unique_ptr<FileHandle> openFile(const std::string& path, OpenMode mode) {
  const std::string native = nativePath(path);
  if (native.empty()) return nullptr;
  int fd = -1;
  if (mode == OpenMode::kUpdate) {
    fd = openPlain(native, O_RDWR);
    if (fd < 0) fd = openPlain(native, O_RDWR | O_CREAT);
  }
  if (fd < 0) fd = openPlain(native, O_RDONLY);
  if (fd < 0) return nullptr;
  return std::unique_ptr<FileHandle>(new PosixFile(fd));
}

void removeFile(const std::string& path) {
  ::unlink(nativePath(path).c_str());
}

}  // namespace platform
}  // namespace scrpack
