#include <windows.h>

#include <algorithm>
#include <vector>

#include "unpack/output_tree.h"

namespace scrpack {
namespace {

constexpr size_t kChunk = 64 * 1024;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle);
  }

 private:
  HANDLE handle_;
};

WriteResult result(WriteStatus status, const std::string& detail = "") {
  WriteResult r;
  r.status = status;
  r.detail = detail;
  return r;
}

std::string systemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text ? std::string(text, length)
                                           : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' ||
          message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

WriteResult systemError(const char* what) {
  return result(WriteStatus::kFailed,
                std::string(what) + ": " + systemMessage(::GetLastError()));
}

// A symlink or a junction: both are reparse points, and neither is
// followed.
bool isReparsePoint(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool writeAll(HANDLE file, int64_t size, const ContentsReader& contents,
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
    DWORD written = 0;
    if (!::WriteFile(file, buffer.data(), static_cast<DWORD>(count), &written,
                     nullptr) ||
        written != count) {
      *error = "cannot write: " + systemMessage(::GetLastError());
      return false;
    }
    done += static_cast<int64_t>(count);
  }
  return true;
}

class Win32OutputTree final : public OutputTree {
 public:
  explicit Win32OutputTree(const std::string& dir) : dir_(dir) {}

  WriteResult write(const EntryPath& path, bool replace, int64_t size,
                    const ContentsReader& contents) override {
    std::string at = dir_;
    for (size_t i = 0; i + 1 < path.components.size(); ++i) {
      at += "\\" + path.components[i];
      DWORD attributes = ::GetFileAttributesA(at.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!::CreateDirectoryA(at.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
          return systemError("cannot make a directory");
        }
        attributes = ::GetFileAttributesA(at.c_str());
      }
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        return systemError("cannot open a directory");
      }
      if (isReparsePoint(attributes)) return result(WriteStatus::kSymlink);
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return result(WriteStatus::kBlocked);
      }
    }
    const std::string file = at + "\\" + path.components.back();
    const DWORD attributes = ::GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (isReparsePoint(attributes)) return result(WriteStatus::kSymlink);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return result(WriteStatus::kBlocked);
      }
      if (!replace) return result(WriteStatus::kExists);
    }
    const std::string target =
        replace ? file + ".scrunpack-" + std::to_string(::GetCurrentProcessId())
                : file;
    {
      Handle out(::CreateFileA(
          target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!out.valid()) {
        if (::GetLastError() == ERROR_FILE_EXISTS) {
          return result(WriteStatus::kExists);
        }
        return systemError("cannot create the file");
      }
      std::string error;
      if (!writeAll(out.get(), size, contents, &error) || !out.close()) {
        if (error.empty()) error = "cannot write";
        out.close();
        ::DeleteFileA(target.c_str());
        return result(WriteStatus::kFailed, error);
      }
    }
    if (replace && !::MoveFileExA(target.c_str(), file.c_str(),
                                  MOVEFILE_REPLACE_EXISTING)) {
      const WriteResult failed = systemError("cannot replace the file");
      ::DeleteFileA(target.c_str());
      return failed;
    }
    return result(WriteStatus::kWritten);
  }

 private:
  std::string dir_;
};

}  // namespace

std::unique_ptr<OutputTree> OutputTree::open(const std::string& dir,
                                             std::string* error) {
  const DWORD attributes = ::GetFileAttributesA(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *error = systemMessage(::GetLastError());
    return nullptr;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *error = "not a directory";
    return nullptr;
  }
  return std::make_unique<Win32OutputTree>(dir);
}

PathRules OutputTree::rules() { return PathRules::kWindows; }

}  // namespace scrpack
