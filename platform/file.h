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

class FileHandle {
 public:
  virtual ~FileHandle() = default;  // closes the file

  // Current length in bytes.
  virtual int64_t length() = 0;
  // Reads up to |count| bytes at |position|; returns how many were read,
  // 0 at the end of the file or on failure.
  virtual size_t readAt(int64_t position, void* buffer, size_t count) = 0;
  // Writes up to |count| bytes at |position|; returns how many were written.
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
};

enum class OpenMode {
  kRead,    // existing file, reading only
  kUpdate,  // read and write without shortening; else create empty;
            // else reading only
};

// Paths use the backslash as directory separator, whatever the platform;
// the platform maps it to its own. Returns null when the file stays closed.
// Only plain files are opened: a directory or a device is never a file.
std::unique_ptr<FileHandle> openFile(const std::string& path, OpenMode mode);

// Removes a file if it can; the outcome is not reported.
void removeFile(const std::string& path);

}  // namespace platform
}  // namespace scrpack

#endif  // SCRPACK_PLATFORM_FILE_H_
