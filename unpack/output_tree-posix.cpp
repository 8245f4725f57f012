#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "unpack/output_tree.h"

namespace scrpack {
namespace {

constexpr size_t kChunk = 64 * 1024;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting a failed close (a write that did not reach the
  // disk) as false.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

WriteResult result(WriteStatus status, const std::string& detail = "") {
  WriteResult r;
  r.status = status;
  r.detail = detail;
  return r;
}

WriteResult systemError(const char* what) {
  return result(WriteStatus::kFailed,
                std::string(what) + ": " + std::strerror(errno));
}

// What stands at |name| in |dir|, without following a symlink: -1 when
// nothing does.
int kindAt(int dir, const std::string& name) {
  struct stat info;
  if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return -1;
  return static_cast<int>(info.st_mode & S_IFMT);
}

// Why opening |name| in |dir| failed, from what stands there.
WriteResult blockedAt(int dir, const std::string& name, const char* what) {
  const int saved = errno;
  const int kind = kindAt(dir, name);
  if (kind == S_IFLNK) return result(WriteStatus::kSymlink);
  if (kind == S_IFDIR || (kind >= 0 && saved == ENOTDIR)) {
    return result(WriteStatus::kBlocked);
  }
  errno = saved;
  return systemError(what);
}

bool writeAll(int fd, int64_t size, const ContentsReader& contents,
              std::string* error) {
  std::vector<unsigned char> buffer(
      static_cast<size_t>(std::min<int64_t>(size, kChunk)));
  for (int64_t done = 0; done < size;) {
    const size_t count =
        static_cast<size_t>(std::min<int64_t>(size - done, kChunk));
    if (!contents(done, buffer.data(), count)) {
      *error = "cannot read the entry from the pack";
      return false;
    }
    for (size_t written = 0; written < count;) {
      const ssize_t n = ::write(fd, buffer.data() + written, count - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = std::string("cannot write: ") + std::strerror(errno);
        return false;
      }
      written += static_cast<size_t>(n);
    }
    done += static_cast<int64_t>(count);
  }
  return true;
}

class PosixOutputTree final : public OutputTree {
 public:
  explicit PosixOutputTree(int dir) : dir_(dir) {}

  WriteResult write(const EntryPath& path, bool replace, int64_t size,
                    const ContentsReader& contents) override {
    Fd parent;
    int at = dir_.get();
    for (size_t i = 0; i + 1 < path.components.size(); ++i) {
      Fd next;
      const WriteResult entered = enter(at, path.components[i], &next);
      if (entered.status != WriteStatus::kWritten) return entered;
      parent = std::move(next);
      at = parent.get();
    }
    const std::string& name = path.components.back();
    return replace ? replaceFile(at, name, size, contents)
                   : createFile(at, name, size, contents);
  }

 private:
  // Opens the directory |name| in |at|, making it when it is missing.
  static WriteResult enter(int at, const std::string& name, Fd* out) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      *out = Fd(::openat(at, name.c_str(),
                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (out->valid()) return result(WriteStatus::kWritten);
      if (errno != ENOENT) break;
      if (::mkdirat(at, name.c_str(), 0777) != 0 && errno != EEXIST) {
        return systemError("cannot make a directory");
      }
    }
    const int kind = kindAt(at, name);
    if (kind == S_IFLNK) return result(WriteStatus::kSymlink);
    if (kind >= 0 && kind != S_IFDIR) return result(WriteStatus::kBlocked);
    return systemError("cannot open a directory");
  }

  static WriteResult createFile(int at, const std::string& name, int64_t size,
                                const ContentsReader& contents) {
    Fd file(::openat(at, name.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     0666));
    if (!file.valid()) {
      if (errno == EEXIST) {
        const int kind = kindAt(at, name);
        if (kind == S_IFLNK) return result(WriteStatus::kSymlink);
        if (kind == S_IFDIR) return result(WriteStatus::kBlocked);
        return result(WriteStatus::kExists);
      }
      return blockedAt(at, name, "cannot create the file");
    }
    std::string error;
    if (!writeAll(file.get(), size, contents, &error) || !file.close()) {
      if (error.empty())
        error = std::string("cannot write: ") + strerror(errno);
      ::unlinkat(at, name.c_str(), 0);
      return result(WriteStatus::kFailed, error);
    }
    return result(WriteStatus::kWritten);
  }

  static WriteResult replaceFile(int at, const std::string& name, int64_t size,
                                 const ContentsReader& contents) {
    const int kind = kindAt(at, name);
    if (kind == S_IFLNK) return result(WriteStatus::kSymlink);
    if (kind >= 0 && kind != S_IFREG) return result(WriteStatus::kBlocked);
    std::string temporary;
    Fd file;
    for (int n = 0; !file.valid() && n < 100; ++n) {
      temporary = "." + name.substr(0, 200) + ".scrunpack-" +
                  std::to_string(::getpid()) + "-" + std::to_string(n);
      file = Fd(::openat(at, temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         0666));
      if (!file.valid() && errno != EEXIST) break;
    }
    if (!file.valid()) return systemError("cannot create the file");
    std::string error;
    if (!writeAll(file.get(), size, contents, &error) || !file.close()) {
      if (error.empty())
        error = std::string("cannot write: ") + strerror(errno);
      ::unlinkat(at, temporary.c_str(), 0);
      return result(WriteStatus::kFailed, error);
    }
    // rename() replaces the name itself: a symlink put there since the
    // check above is replaced, not followed.
    if (::renameat(at, temporary.c_str(), at, name.c_str()) != 0) {
      const WriteResult failed = systemError("cannot replace the file");
      ::unlinkat(at, temporary.c_str(), 0);
      return failed;
    }
    return result(WriteStatus::kWritten);
  }

  Fd dir_;
};

}  // namespace

std::unique_ptr<OutputTree> OutputTree::open(const std::string& dir,
                                             std::string* error) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixOutputTree>(fd);
}

PathRules OutputTree::rules() { return PathRules::kPosix; }

}  // namespace scrpack
