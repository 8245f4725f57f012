#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace testing {

namespace fs = std::filesystem;

namespace {

// Handles that end with their scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE openInheritable(const fs::path& path, DWORD access, DWORD creation) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(path.wstring().c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string variableName(const std::string& entry) {
  std::string name = entry.substr(0, entry.find('=', 1));
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
    return static_cast<char>(::toupper(c));
  });
  return name;
}

// This process's environment without the display, with |extra| added or
// replacing what is there, as a block for CreateProcess: sorted by name,
// each entry ended by a zero byte, the block by one more.
std::string environmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  if (char* block = ::GetEnvironmentStringsA()) {
    for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1) {
      entries.emplace_back(p);
    }
    ::FreeEnvironmentStringsA(block);
  }
  auto replaced = [&extra](const std::string& entry) {
    const std::string name = variableName(entry);
    if (name == "DISPLAY") return true;
    return std::any_of(
        extra.begin(), extra.end(),
        [&name](const std::string& e) { return variableName(e) == name; });
  };
  entries.erase(std::remove_if(entries.begin(), entries.end(), replaced),
                entries.end());
  entries.insert(entries.end(), extra.begin(), extra.end());
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) {
                     return variableName(a) < variableName(b);
                   });
  std::string block;
  for (const std::string& entry : entries) block += entry + '\0';
  block += '\0';
  return block;
}

void setReadOnly(const fs::path& path, bool readOnly) {
  const std::wstring name = path.wstring();
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesW(name.c_str(),
                       readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                : attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

// Under wine the binary's path as CMake knows it is a Unix path; wine shows
// the Unix root as drive Z:.
fs::path toolPath() {
  std::string path = SCRPACK_BINARY;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Windows has no unprivileged user to switch to here.
bool permissionsApply() { return false; }

// The read-only attribute binds files; on a directory Windows ignores it.
void makeReadOnly(const fs::path& path) { setReadOnly(path, true); }

void makeWorldWritable(const fs::path& path) { setReadOnly(path, false); }

ToolRun runTool(const fs::path& workDir, const ToolOptions& options) {
  ToolRun run;
  TempDir outputDir;
  const fs::path outputPath = outputDir.path() / "stdout";
  const auto start = std::chrono::steady_clock::now();
  {
    Handle out(openInheritable(outputPath, GENERIC_WRITE, CREATE_ALWAYS));
    Handle nul(
        openInheritable("NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    if (!out.valid() || !nul.valid()) return run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = out.get();
    startup.hStdError = nul.get();
    const std::wstring binary = toolPath().wstring();
    std::wstring commandLine = L"\"" + binary + L"\"";
    std::string environment = environmentBlock(options.environment);
    const std::wstring directory = workDir.wstring();
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(binary.c_str(), &commandLine[0], nullptr, nullptr,
                          TRUE, CREATE_NO_WINDOW, &environment[0],
                          directory.c_str(), &startup, &process)) {
      return run;
    }
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process.hProcess, &exitCode)) {
      run.exitCode = static_cast<int>(exitCode);
    }
  }
  run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  run.output = readFile(outputPath);
  return run;
}

}  // namespace testing
}  // namespace scrpack
