// The three commands of scrunpack. Each prints its result to standard
// output and its errors to standard error, and gives the exit status:
// 0 fine, 1 problems found, 2 an unreadable pack or directory.
#ifndef SCRPACK_UNPACK_COMMANDS_H_
#define SCRPACK_UNPACK_COMMANDS_H_

#include "unpack/arguments.h"

namespace scrpack {

constexpr int kExitFine = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUnusable = 2;

int runList(const Arguments& arguments);
int runCheck(const Arguments& arguments);
int runExtract(const Arguments& arguments);

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_COMMANDS_H_
