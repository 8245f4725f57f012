// Small process-wide services: sleeping, the bell, the program's path.
#ifndef SCRPACK_PLATFORM_SYSTEM_H_
#define SCRPACK_PLATFORM_SYSTEM_H_

#include <cstdint>
#include <string>

namespace scrpack {
namespace platform {

// Called first in main: keeps the process alive and quiet when an output
// goes away (a closed pipe, a lost display) or a drive is not ready, and
// gives every missing standard stream a place that swallows what it gets,
// so that no file the process opens can take a standard stream's place.
void prepareProcess();

// Runs first in every signal handler that ends the process, to put the
// terminal back; it must be async-signal-safe. Null for none.
void setSignalRestoreHook(void (*hook)());

// While one lives, an interrupt (SIGINT, SIGTERM or SIGHUP; on Windows
// Ctrl+C or Ctrl+Break) ends the process at once: the restore hook runs, the
// file named by removeOnInterrupt() is removed, and the exit status is
// 128 + the signal (on Windows the system's own for Ctrl+C). Afterwards
// these signals are handled as before.
class InterruptExit {
 public:
  InterruptExit();
  ~InterruptExit();
  InterruptExit(const InterruptExit&) = delete;
  InterruptExit& operator=(const InterruptExit&) = delete;
};

// The file that an interrupt removes; empty for none.
void removeOnInterrupt(const std::string& path);

void sleepMilliseconds(int32_t milliseconds);

// Sounds a tone and returns when it has ended, |milliseconds| later. Where
// the platform has no tone generator the terminal bell rings instead.
void beep(int32_t frequencyHz, int32_t milliseconds);

// This process's id.
uint32_t processId();

// The program's own full path, cut to |maxChars| characters; empty when
// it cannot be found.
std::string programPath(size_t maxChars);

}  // namespace platform
}  // namespace scrpack

#endif  // SCRPACK_PLATFORM_SYSTEM_H_
