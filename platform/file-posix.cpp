#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/file.h"

namespace scrpack {
namespace platform {
namespace {

std::string nativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::string errorText(int error) { return ::strerror(error); }

class PosixFile final : public FileHandle {
 public:
  // |openLength| is the length that the open found; it answers length()
  // until this handle writes, which saves every input file a second fstat
  // (in a run over many small files, system calls are a large share).
  PosixFile(int fd, const struct stat& st)
      : fd_(fd),
        knownLength_(static_cast<int64_t>(st.st_size)),
        id_{static_cast<uint64_t>(st.st_dev),
            static_cast<uint64_t>(st.st_ino)} {}
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
      if (n < 0) failure_ = errorText(errno);
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
      if (n < 0) failure_ = errorText(errno);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (done < count && failure_.empty()) failure_ = errorText(EIO);
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
      // where the kernel refuses (EXDEV, EINVAL, ENOSYS...); the caller's
      // own reads and writes then find and report any real failure.
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

  bool sync() override {
    if (::fsync(fd_) == 0) return true;
    failure_ = errorText(errno);
    return false;
  }

  bool resize(int64_t length) override {
    knownLength_ = -1;
    if (::ftruncate(fd_, static_cast<off_t>(length)) == 0) return true;
    failure_ = errorText(errno);
    return false;
  }

  FileId id() override { return id_; }

 private:
  int fd_;
  int64_t knownLength_;  // -1 once this handle has written
  FileId id_;
};

int openRetrying(const char* path, int flags) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Wraps |fd| if it is a plain file; else closes it. O_NONBLOCK (above)
// keeps a FIFO that slipped past the caller's look from blocking the open;
// on plain files the flag has no effect.
OpenResult adopt(int fd, OpenOutcome outcome, std::string reason) {
  OpenResult result;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    result.outcome = OpenOutcome::kRefused;
    return result;
  }
  result.file = std::make_unique<PosixFile>(fd, st);
  result.outcome = outcome;
  result.reason = std::move(reason);
  return result;
}

OpenResult failed(OpenOutcome outcome, int error) {
  OpenResult result;
  result.outcome = outcome;
  if (error != 0) result.reason = errorText(error);
  return result;
}

// Creates the last component of |native| below its first directory,
// walking the directories between without following a link and refusing
// "..": a listed name never makes a file outside that directory.
OpenResult createBeneath(const std::string& native) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = native.find('/', start);
    parts.push_back(native.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (parts.size() < 2 || parts.back().empty() || parts.back() == "." ||
      parts.back() == "..") {
    return failed(OpenOutcome::kMissing, ENOENT);
  }
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == "..") return failed(OpenOutcome::kMissing, 0);
  }
  int dir = openRetrying(parts[0].empty() ? "/" : parts[0].c_str(),
                         O_RDONLY | O_DIRECTORY);
  for (size_t i = 1; dir >= 0 && i + 1 < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    const int next = ::openat(dir, parts[i].c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(dir);
    dir = next;
  }
  if (dir < 0) return failed(OpenOutcome::kMissing, errno);
  int fd;
  do {
    fd = ::openat(dir, parts.back().c_str(),
                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC |
                      O_NOCTTY | O_NONBLOCK,
                  0666);
  } while (fd < 0 && errno == EINTR);
  const int error = errno;
  ::close(dir);
  if (fd < 0) return failed(OpenOutcome::kMissing, error);
  return adopt(fd, OpenOutcome::kCreated, std::string());
}

OpenResult create(const std::string& native, unsigned flags) {
  if (flags & kCreateBeneath) return createBeneath(native);
  const int fd =
      openRetrying(native.c_str(), O_RDWR | O_CREAT | O_EXCL |
                                       (flags & kNoFollow ? O_NOFOLLOW : 0));
  if (fd < 0) return failed(OpenOutcome::kMissing, errno);
  return adopt(fd, OpenOutcome::kCreated, std::string());
}

}  // namespace

OpenResult openFile(const std::string& path, OpenMode mode, unsigned flags) {
  const std::string native = nativePath(path);
  if (native.empty()) return failed(OpenOutcome::kMissing, ENOENT);
  const int noFollow = (flags & kNoFollow) ? O_NOFOLLOW : 0;
  if (mode == OpenMode::kRead) {
    const int fd = openRetrying(native.c_str(), O_RDONLY | noFollow);
    if (fd < 0) {
      const int error = errno;
      return failed(
          error == ENOENT ? OpenOutcome::kMissing : OpenOutcome::kRefused,
          error);
    }
    return adopt(fd, OpenOutcome::kOpened, std::string());
  }
  // Look before opening for writing: a device or a FIFO is never opened
  // for writing, and a missing file is created only as |flags| allow.
  struct stat st;
  const int looked =
      noFollow ? ::lstat(native.c_str(), &st) : ::stat(native.c_str(), &st);
  if (looked != 0) {
    const int error = errno;
    if (error != ENOENT) return failed(OpenOutcome::kRefused, error);
    if (mode == OpenMode::kRewrite) return failed(OpenOutcome::kMissing, error);
    return create(native, flags);
  }
  if (S_ISLNK(st.st_mode)) return failed(OpenOutcome::kRefused, ELOOP);
  if (S_ISDIR(st.st_mode)) return failed(OpenOutcome::kRefused, EISDIR);
  if (!S_ISREG(st.st_mode)) return failed(OpenOutcome::kRefused, 0);
  int fd = openRetrying(native.c_str(), O_RDWR | noFollow);
  if (fd >= 0) return adopt(fd, OpenOutcome::kOpened, std::string());
  const int writeError = errno;
  if (mode == OpenMode::kRewrite) {
    return failed(OpenOutcome::kRefused, writeError);
  }
  fd = openRetrying(native.c_str(), O_RDONLY | noFollow);
  if (fd < 0) return failed(OpenOutcome::kRefused, errno);
  return adopt(fd, OpenOutcome::kReadOnly, errorText(writeError));
}

OpenResult createNewFile(const std::string& path) {
  const std::string native = nativePath(path);
  const int fd =
      openRetrying(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW);
  if (fd < 0) {
    const int error = errno;
    return failed(
        error == EEXIST ? OpenOutcome::kRefused : OpenOutcome::kMissing, error);
  }
  return adopt(fd, OpenOutcome::kCreated, std::string());
}

bool mayReplace(const std::string& path) {
  struct stat st;
  if (::lstat(nativePath(path).c_str(), &st) != 0) return errno == ENOENT;
  return !S_ISDIR(st.st_mode);
}

bool replaceFile(const std::string& from, const std::string& to,
                 std::string* reason) {
  const std::string target = nativePath(to);
  if (::rename(nativePath(from).c_str(), target.c_str()) != 0) {
    *reason = errorText(errno);
    return false;
  }
  // The new name lasts once its directory is on the disk too.
  const size_t slash = target.rfind('/');
  const std::string dir =
      slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const int fd = openRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

std::string shownPath(const std::string& path) { return nativePath(path); }

bool removeFile(const std::string& path) {
  return ::unlink(nativePath(path).c_str()) == 0;
}

}  // namespace platform
}  // namespace scrpack
