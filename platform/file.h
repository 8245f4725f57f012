// Files as the packing run needs them: opened by path, read and written at
// explicit positions, without buffering (FileStream adds that).
#ifndef SCRPACK_PLATFORM_FILE_H_
#define SCRPACK_PLATFORM_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace scrpack {
namespace platform {

// Which file on which volume: two handles with equal ids are one file.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileId& other) const {
    return volume == other.volume && index == other.index;
  }
  bool operator!=(const FileId& other) const { return !(*this == other); }
};

class FileHandle {
 public:
  virtual ~FileHandle() = default;  // closes the file

  // Current length in bytes.
  virtual int64_t length() = 0;
  // Reads up to |count| bytes at |position|; returns how many were read,
  // fewer at the end of the file or on failure (then failure() says why).
  virtual size_t readAt(int64_t position, void* buffer, size_t count) = 0;
  // Writes up to |count| bytes at |position|; returns how many were
  // written, fewer on failure (then failure() says why).
  virtual size_t writeAt(int64_t position, const void* buffer,
                         size_t count) = 0;
  // Copies up to |count| bytes from |position| into |target| at
  // |targetPosition| inside the operating system, without passing them
  // through the process. Returns how many were copied; 0 where the system
  // cannot do it for these two files, and the caller copies the rest.
  virtual size_t copyTo(int64_t position, FileHandle& target,
                        int64_t targetPosition, size_t count) {
    (void)position, (void)target, (void)targetPosition, (void)count;
    return 0;
  }
  // Writes the file's data through to the disk.
  virtual bool sync() = 0;
  // Cuts the file to |length| bytes, or lengthens it with zero bytes.
  virtual bool resize(int64_t length) = 0;
  virtual FileId id() = 0;

  // The system's words for the latest failed read, write, sync or resize;
  // empty while none failed. Reaching the end of the file is no failure.
  const std::string& failure() const { return failure_; }

 protected:
  std::string failure_;
};

enum class OpenMode {
  kRead,     // existing file, reading only
  kUpdate,   // read and write without shortening; else create empty;
             // else reading only
  kRewrite,  // existing file, reading and writing; never created
};

// Flags for openFile(), or-ed together.
enum OpenFlag : unsigned {
  // A symbolic link in the last place of the path is never opened or
  // followed: the open fails.
  kNoFollow = 1u << 0,
  // kUpdate creates a missing file only below the path's first directory:
  // never through a ".." component or a symbolic link after it.
  kCreateBeneath = 1u << 1,
};

enum class OpenOutcome {
  kOpened,    // as the mode asks
  kCreated,   // it did not exist and was created empty
  kReadOnly,  // kUpdate: it exists but may only be read
  kMissing,   // it does not exist (and was not created)
  kRefused,   // it exists but cannot be opened, or is no plain file
};

struct OpenResult {
  std::unique_ptr<FileHandle> file;  // null unless opened
  OpenOutcome outcome = OpenOutcome::kMissing;
  // The system's words for why the open fell short of the mode's first
  // wish; may be empty (a device, a refused ".." component).
  std::string reason;
};

// Paths use the backslash as directory separator, whatever the platform;
// the platform maps it to its own. Only plain files are opened: a directory,
// a device or a pipe is never a file, and is never opened for writing.
OpenResult openFile(const std::string& path, OpenMode mode, unsigned flags = 0);

// Creates |path| empty, for reading and writing; fails (kRefused) when
// anything of that name exists, a symbolic link included.
OpenResult createNewFile(const std::string& path);

// Whether |path| names nothing, or something that replaceFile() may put a
// file in place of right now (not a directory; on Windows also not
// read-only and not held open without leave to delete it).
bool mayReplace(const std::string& path);

// Puts the file |from| in the place of |to| in one step, so that |to|
// names either its old file or the new one, and makes the change durable.
// On failure |reason| gets the system's words.
bool replaceFile(const std::string& from, const std::string& to,
                 std::string* reason);

// |path| as the user knows it: with the platform's own separator.
std::string shownPath(const std::string& path);

// Removes a file if it can; a symbolic link itself, never its target.
bool removeFile(const std::string& path);

}  // namespace platform
}  // namespace scrpack

#endif  // SCRPACK_PLATFORM_FILE_H_
