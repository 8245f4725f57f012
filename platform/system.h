// Small process-wide services: sleeping, the bell, the program's path.
#ifndef SCRPACK_PLATFORM_SYSTEM_H_
#define SCRPACK_PLATFORM_SYSTEM_H_

#include <cstdint>
#include <string>

namespace scrpack {
namespace platform {

// Called first in main: keeps the process alive and quiet when an output
// goes away (a closed pipe, a lost display) or a drive is not ready.
void prepareProcess();

void sleepMilliseconds(int32_t milliseconds);

// Sounds a tone and returns when it has ended, |milliseconds| later. Where
// the platform has no tone generator the terminal bell rings instead.
void beep(int32_t frequencyHz, int32_t milliseconds);

// The program's own full path, cut to |maxChars| characters; empty when
// it cannot be found.
std::string programPath(size_t maxChars);

}  // namespace platform
}  // namespace scrpack

#endif  // SCRPACK_PLATFORM_SYSTEM_H_
