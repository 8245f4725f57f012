// The command line: scrpack takes no arguments, but answers --help (also
// -h and /?) and --version. Any other argument is ignored, so a file
// dropped on the program still starts a packing run.
#ifndef SCRPACK_PACK_COMMAND_LINE_H_
#define SCRPACK_PACK_COMMAND_LINE_H_

#include <string>

namespace scrpack {

enum class Command { kPack, kHelp, kVersion };

// What the first argument asks for.
Command commandOf(int argc, const char* const* argv);

// The usage text of --help, with the platform's path separator; ends with
// a line end.
std::string usageText();
// "scrpack VERSION" and a line end.
std::string versionText();

}  // namespace scrpack

#endif  // SCRPACK_PACK_COMMAND_LINE_H_
