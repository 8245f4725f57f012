#include "unpack/arguments.h"

namespace scrpack {

const char kUsage[] =
    "Usage: scrunpack list [PACK] [--json]\n"
    "       scrunpack check [PACK] [--json] [--list DIR]\n"
    "       scrunpack extract [PACK] [-C DIR] [--force] [NAME...]\n"
    "Lists, checks and extracts the entries of a pack made by scrpack.\n"
    "PACK defaults to velkoscr.\n"
    "\n"
    "  list        one row per entry: slot, offset, size, name\n"
    "  check       one line for each thing wrong with the pack; with --list,\n"
    "              also compare it with DIR/data/flist and the files under\n"
    "              DIR/data as scrpack would pack them now\n"
    "  extract     write the entries, or the named ones, as files under DIR\n"
    "              (default: the current directory)\n"
    "\n"
    "  --json      print JSON\n"
    "  -C DIR      extract into DIR, which must exist\n"
    "  --force     replace existing files when extracting\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Exit status: 0 fine, 1 problems found, 2 usage error or unreadable "
    "pack.\n";

namespace {

struct CommandName {
  const char* name;
  Command command;
};

const CommandName kCommands[] = {
    {"list", Command::kList},
    {"check", Command::kCheck},
    {"extract", Command::kExtract},
};

Arguments failed(Arguments parsed, const std::string& error) {
  parsed.error = error;
  return parsed;
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& arguments) {
  Arguments parsed;
  if (arguments.empty()) return failed(parsed, "no command given");
  const std::string& first = arguments[0];
  if (first == "-h" || first == "--help") return parsed;
  if (first == "--version") {
    parsed.command = Command::kVersion;
    return parsed;
  }
  bool known = false;
  for (const CommandName& c : kCommands) {
    if (first == c.name) {
      parsed.command = c.command;
      known = true;
    }
  }
  if (!known) return failed(parsed, "unknown command '" + first + "'");
  const Command command = parsed.command;
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      operands.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-h" || a == "--help") {
      parsed.command = Command::kHelp;
      return parsed;
    } else if (a == "--json" && command != Command::kExtract) {
      parsed.json = true;
    } else if (a == "--list" && command == Command::kCheck) {
      if (!hasValue) return failed(parsed, "--list needs a directory");
      parsed.hasListDir = true;
      parsed.listDir = arguments[++i];
    } else if (a == "-C" && command == Command::kExtract) {
      if (!hasValue) return failed(parsed, "-C needs a directory");
      parsed.outputDir = arguments[++i];
    } else if ((a == "--force" || a == "-f") && command == Command::kExtract) {
      parsed.force = true;
    } else {
      return failed(parsed, "unknown option '" + a + "' for " + first);
    }
  }
  if (!operands.empty()) {
    parsed.pack = operands[0];
    operands.erase(operands.begin());
  }
  if (command == Command::kExtract) {
    parsed.names = operands;
  } else if (!operands.empty()) {
    return failed(parsed, first + " takes one pack, not '" + operands[0] + "'");
  }
  return parsed;
}

}  // namespace scrpack
