#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {

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

// Under wine a binary's path as CMake knows it is a Unix path; wine shows
// the Unix root as drive Z:.
fs::path windowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = ::MultiByteToWideChar(
      CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                        &wide[0], size);
  return wide;
}

// One argument quoted so that the C runtime's parser gives it back whole:
// backslashes are doubled only where a quote follows them.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

}  // namespace

fs::path toolPath() { return windowsPath(SCRPACK_BINARY); }

std::string systemReason(int, unsigned long windowsError) {
  char buffer[512] = {};
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      windowsError, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer,
      sizeof buffer, nullptr);
  if (n == 0) {
    n = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        windowsError, 0, buffer, sizeof buffer, nullptr);
  }
  std::string text(buffer, n);
  while (!text.empty() && std::strchr("\r\n. ", text.back()) != nullptr) {
    text.pop_back();
  }
  return text;
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
  const fs::path errorsPath = outputDir.path() / "stderr";
  const auto start = std::chrono::steady_clock::now();
  {
    Handle out(openInheritable(outputPath, GENERIC_WRITE, CREATE_ALWAYS));
    Handle err(openInheritable(errorsPath, GENERIC_WRITE, CREATE_ALWAYS));
    Handle nul(
        openInheritable("NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    if (!out.valid() || !err.valid() || !nul.valid()) return run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    const std::wstring binary =
        (options.program.empty() ? toolPath()
                                 : windowsPath(options.program.string()))
            .wstring();
    std::wstring commandLine = L"\"" + binary + L"\"";
    for (const std::string& argument : options.arguments) {
      commandLine += L" " + quoted(widen(argument));
    }
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
  run.errors = readFile(errorsPath);
  return run;
}

}  // namespace test
}  // namespace scrpack
