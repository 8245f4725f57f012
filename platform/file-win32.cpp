// Files through the Win32 API. Names go to the ANSI ("A") functions as
// they are, so each byte reaches the file system as the system's ANSI code
// page reads it. Other processes may read and write the files meanwhile,
// and may delete them: the run's own temporary pack is removed on Ctrl+C
// while it is still open.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/file.h"

namespace scrpack {
namespace platform {
namespace {

constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most that one ReadFile or WriteFile call is asked to move.
constexpr size_t kMaxTransfer = size_t{1} << 30;

OVERLAPPED at(int64_t position) {
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(static_cast<uint64_t>(position));
  where.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position) >> 32);
  return where;
}

// The system's message for |error|, in English where the system has it,
// without its closing full stop and line end.
std::string errorText(DWORD error) {
  char buffer[512] = {};
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer,
      sizeof buffer, nullptr);
  if (n == 0) {
    n = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, buffer, sizeof buffer, nullptr);
  }
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' ||
                           text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

bool isMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

class Win32File final : public FileHandle {
 public:
  Win32File(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info)
      : handle_(handle),
        id_{info.dwVolumeSerialNumber,
            (static_cast<uint64_t>(info.nFileIndexHigh) << 32) |
                info.nFileIndexLow} {}
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
                      &where)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_HANDLE_EOF) failure_ = errorText(error);
        break;
      }
      if (n == 0) break;
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
                       &n, &where)) {
        failure_ = errorText(::GetLastError());
        break;
      }
      if (n == 0) {
        failure_ = errorText(ERROR_WRITE_FAULT);
        break;
      }
      done += n;
    }
    return done;
  }

  bool sync() override {
    if (::FlushFileBuffers(handle_)) return true;
    failure_ = errorText(::GetLastError());
    return false;
  }

  bool resize(int64_t length) override {
    LARGE_INTEGER to;
    to.QuadPart = length;
    if (::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) &&
        ::SetEndOfFile(handle_)) {
      return true;
    }
    failure_ = errorText(::GetLastError());
    return false;
  }

  FileId id() override { return id_; }

 private:
  HANDLE handle_;
  FileId id_;
};

struct Opened {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_SUCCESS;
  bool refused = false;  // opened, but no plain file on a disk
};

// Opens |path| and keeps it only if it is a file on a disk: a directory, a
// device name such as NUL or CON, a pipe or a console is refused, and with
// |noFollow| a symbolic link or junction as well.
Opened openDiskFile(const std::string& path, DWORD access, DWORD creation,
                    bool noFollow) {
  Opened opened;
  const DWORD flags =
      FILE_ATTRIBUTE_NORMAL | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  const HANDLE handle = ::CreateFileA(path.c_str(), access, kShare, nullptr,
                                      creation, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    opened.error = ::GetLastError();
    return opened;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileType(handle) != FILE_TYPE_DISK ||
      !::GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    ::CloseHandle(handle);
    opened.refused = true;
    return opened;
  }
  opened.handle = handle;
  return opened;
}

OpenResult result(const Opened& opened, OpenOutcome outcome,
                  std::string reason) {
  OpenResult out;
  if (opened.handle == INVALID_HANDLE_VALUE) {
    out.outcome = opened.refused ? OpenOutcome::kRefused : outcome;
    if (!opened.refused) out.reason = errorText(opened.error);
    return out;
  }
  BY_HANDLE_FILE_INFORMATION info;
  ::GetFileInformationByHandle(opened.handle, &info);
  out.file = std::make_unique<Win32File>(opened.handle, info);
  out.outcome = outcome;
  out.reason = std::move(reason);
  return out;
}

OpenResult failed(OpenOutcome outcome, DWORD error) {
  OpenResult out;
  out.outcome = outcome;
  if (error != ERROR_SUCCESS) out.reason = errorText(error);
  return out;
}

// Whether the file of |path| may be created: below its first directory,
// through no ".." component and no symbolic link or junction.
bool mayCreateBeneath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find_first_of("\\/", start);
    parts.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (parts.size() < 2 || parts.back().empty()) return false;
  std::string prefix = parts[0];
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == "..") return false;
    if (i + 1 == parts.size()) break;
    prefix += "\\" + parts[i];
    const DWORD attributes = ::GetFileAttributesA(prefix.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

OpenResult openFile(const std::string& path, OpenMode mode, unsigned flags) {
  // A zero byte would end the name early; the caller cuts names there.
  if (path.empty() || path.find('\0') != std::string::npos) {
    return failed(OpenOutcome::kMissing, ERROR_FILE_NOT_FOUND);
  }
  const bool noFollow = (flags & kNoFollow) != 0;
  const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
  if (mode == OpenMode::kRead) {
    const Opened opened =
        openDiskFile(path, GENERIC_READ, OPEN_EXISTING, noFollow);
    return result(opened,
                  opened.handle != INVALID_HANDLE_VALUE ? OpenOutcome::kOpened
                  : isMissing(opened.error)             ? OpenOutcome::kMissing
                                                        : OpenOutcome::kRefused,
                  std::string());
  }
  // Look before opening for writing: a directory is never opened for it.
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (!isMissing(error)) return failed(OpenOutcome::kRefused, error);
    if (mode == OpenMode::kRewrite) return failed(OpenOutcome::kMissing, error);
    if ((flags & kCreateBeneath) && !mayCreateBeneath(path)) {
      return failed(OpenOutcome::kMissing, ERROR_SUCCESS);
    }
    const Opened created = openDiskFile(path, readWrite, CREATE_NEW, true);
    return result(created,
                  created.handle != INVALID_HANDLE_VALUE
                      ? OpenOutcome::kCreated
                      : OpenOutcome::kMissing,
                  std::string());
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return failed(OpenOutcome::kRefused, ERROR_DIRECTORY);
  }
  const Opened writable =
      openDiskFile(path, readWrite, OPEN_EXISTING, noFollow);
  if (writable.handle != INVALID_HANDLE_VALUE || writable.refused ||
      mode == OpenMode::kRewrite) {
    return result(writable,
                  writable.handle != INVALID_HANDLE_VALUE
                      ? OpenOutcome::kOpened
                      : OpenOutcome::kRefused,
                  std::string());
  }
  const Opened readable =
      openDiskFile(path, GENERIC_READ, OPEN_EXISTING, noFollow);
  return result(readable,
                readable.handle != INVALID_HANDLE_VALUE ? OpenOutcome::kReadOnly
                                                        : OpenOutcome::kRefused,
                errorText(writable.error));
}

OpenResult createNewFile(const std::string& path) {
  const Opened created =
      openDiskFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, true);
  const bool exists = created.error == ERROR_FILE_EXISTS ||
                      created.error == ERROR_ALREADY_EXISTS;
  return result(created,
                created.handle != INVALID_HANDLE_VALUE ? OpenOutcome::kCreated
                : exists                               ? OpenOutcome::kRefused
                                                       : OpenOutcome::kMissing,
                std::string());
}

bool mayReplace(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return isMissing(::GetLastError());
  }
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  // Another process that holds the file without leave to delete it keeps
  // it from being replaced as well.
  const HANDLE probe =
      ::CreateFileA(path.c_str(), DELETE, kShare, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(probe);
  return true;
}

bool replaceFile(const std::string& from, const std::string& to,
                 std::string* reason) {
  if (::MoveFileExA(from.c_str(), to.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  *reason = errorText(::GetLastError());
  return false;
}

std::string shownPath(const std::string& path) { return path; }

bool removeFile(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  return ::DeleteFileA(path.c_str()) != 0;
}

}  // namespace platform
}  // namespace scrpack
