#include <windows.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "platform/system.h"

namespace scrpack {
namespace platform {
namespace {

// Read by the console control handler, on a thread of the system's.
char g_removePath[MAX_PATH + 1];
std::atomic<bool> g_haveRemovePath{false};

BOOL WINAPI onInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // Our files share leave to delete: the file goes when the process ends.
  if (g_haveRemovePath.load()) ::DeleteFileA(g_removePath);
  return FALSE;  // the next handler, at last the system's, ends the process
}

}  // namespace

void prepareProcess() {
  // A drive that is not ready or a file that cannot be found must never
  // stop the run with a dialog box.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // A standard handle that is not valid in this process is simply not
  // written to, whatever handle may later take its value.
  const DWORD streams[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
                           STD_ERROR_HANDLE};
  for (DWORD stream : streams) {
    const HANDLE handle = ::GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) continue;
    ::SetLastError(ERROR_SUCCESS);
    if (::GetFileType(handle) == FILE_TYPE_UNKNOWN &&
        ::GetLastError() != ERROR_SUCCESS) {
      ::SetStdHandle(stream, nullptr);
    }
  }
}

void setSignalRestoreHook(void (*)()) {}

InterruptExit::InterruptExit() { ::SetConsoleCtrlHandler(onInterrupt, TRUE); }

InterruptExit::~InterruptExit() { ::SetConsoleCtrlHandler(onInterrupt, FALSE); }

void removeOnInterrupt(const std::string& path) {
  g_haveRemovePath = false;
  if (path.empty() || path.size() >= sizeof g_removePath) return;
  std::memcpy(g_removePath, path.c_str(), path.size() + 1);
  g_haveRemovePath = true;
}

void sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  ::Sleep(static_cast<DWORD>(milliseconds));
}

void beep(int32_t frequencyHz, int32_t milliseconds) {
  if (milliseconds <= 0) return;
  // Without a sound device Beep may fail or return at once; the tone's time
  // passes all the same.
  const ULONGLONG start = ::GetTickCount64();
  ::Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(milliseconds));
  const ULONGLONG elapsed = ::GetTickCount64() - start;
  if (elapsed < static_cast<ULONGLONG>(milliseconds)) {
    ::Sleep(static_cast<DWORD>(milliseconds - static_cast<int32_t>(elapsed)));
  }
}

uint32_t processId() { return ::GetCurrentProcessId(); }

std::string programPath(size_t maxChars) {
  // GetModuleFileNameA cuts the path to the room it is given, less the
  // terminating zero.
  std::vector<char> buffer(maxChars + 1, '\0');
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
  if (n == 0) return std::string();
  return std::string(buffer.data(), ::strnlen(buffer.data(), maxChars));
}

}  // namespace platform
}  // namespace scrpack
