#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/system.h"

namespace scrpack {
namespace platform {

void prepareProcess() {
  // A drive that is not ready or a file that cannot be found must never
  // stop the run with a dialog box.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
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
