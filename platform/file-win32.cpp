// Files through the Win32 API. Names go to the ANSI ("A") functions as
// they are, so each byte reaches the file system as the system's ANSI code
// page reads it. Other processes may read and write the files meanwhile.
#include <windows.h>

#include <algorithm>

#include "platform/file.h"

namespace scrpack {
namespace platform {
namespace {

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// The most that one ReadFile or WriteFile call is asked to move.
constexpr size_t kMaxTransfer = size_t{1} << 30;

OVERLAPPED at(int64_t position) {
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(static_cast<uint64_t>(position));
  where.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position) >> 32);
  return where;
}

class Win32File final : public FileHandle {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { ::CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  int64_t length() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) return 0;
    return size.QuadPart;
  }

  // A synchronous handle with an OVERLAPPED offset reads and writes at that
  // offset and waits until done.
  size_t readAt(int64_t position, void* buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      OVERLAPPED where = at(position + static_cast<int64_t>(done));
      DWORD n = 0;
      const DWORD want =
          static_cast<DWORD>(std::min(count - done, kMaxTransfer));
      if (!::ReadFile(handle_, static_cast<char*>(buffer) + done, want, &n,
                      &where) ||
          n == 0) {
        break;
      }
      done += n;
    }
    return done;
  }

  size_t writeAt(int64_t position, const void* buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      OVERLAPPED where = at(position + static_cast<int64_t>(done));
      DWORD n = 0;
      const DWORD want =
          static_cast<DWORD>(std::min(count - done, kMaxTransfer));
      if (!::WriteFile(handle_, static_cast<const char*>(buffer) + done, want,
                       &n, &where) ||
          n == 0) {
        break;
      }
      done += n;
    }
    return done;
  }

 private:
  HANDLE handle_;
};

// Opens |path| and keeps it only if it is a file on a disk: a directory, a
// device name such as NUL or CON, a pipe or a console is refused.
HANDLE openDiskFile(const std::string& path, DWORD access, DWORD creation) {
  const HANDLE handle = ::CreateFileA(path.c_str(), access, kShare, nullptr,
                                      creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileType(handle) != FILE_TYPE_DISK ||
      !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

}  // namespace

std::unique_ptr<FileHandle> openFile(const std::string& path, OpenMode mode) {
  // A zero byte would end the name early; the caller cuts names there.
  if (path.empty() || path.find('\0') != std::string::npos) return nullptr;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (mode == OpenMode::kUpdate) {
    const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    handle = openDiskFile(path, readWrite, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
      handle = openDiskFile(path, readWrite, CREATE_NEW);
    }
  }
  if (handle == INVALID_HANDLE_VALUE) {
    handle = openDiskFile(path, GENERIC_READ, OPEN_EXISTING);
  }
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(handle);
}

void removeFile(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return;
  ::DeleteFileA(path.c_str());
}

}  // namespace platform
}  // namespace scrpack
