// The command line of scrunpack: a command, its options and operands.
#ifndef SCRPACK_UNPACK_ARGUMENTS_H_
#define SCRPACK_UNPACK_ARGUMENTS_H_

#include <string>
#include <vector>

namespace scrpack {

enum class Command { kHelp, kVersion, kList, kCheck, kExtract };

struct Arguments {
  Command command = Command::kHelp;
  std::string pack = "velkoscr";
  bool json = false;        // list, check
  bool hasListDir = false;  // check --list DIR
  std::string listDir;
  std::string outputDir = ".";     // extract -C DIR
  bool force = false;              // extract
  std::vector<std::string> names;  // extract
  // What is wrong with the command line; empty when it is usable.
  std::string error;
};

// Parses the arguments after the program's name. Options may come before,
// between or after the operands; "--" ends them.
Arguments parseArguments(const std::vector<std::string>& arguments);

extern const char kUsage[];

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_ARGUMENTS_H_
