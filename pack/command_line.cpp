#include "pack/command_line.h"

#include <cstring>

#include "pack/list_reader.h"
#include "pack/packing_run.h"
#include "platform/file.h"
#include "version.h"

namespace scrpack {
namespace {

// "LIST" stands for the list file's shown path.
const char kUsage[] =
    "Usage: scrpack [--help | --version]\n"
    "\n"
    "Packs the files named in LIST, one name per line, into the pack file\n"
    "velkoscr, both in the current directory, and shows every name in a\n"
    "status window (or on the console). An old velkoscr is replaced once\n"
    "the new one is complete; it stays as it was when LIST cannot be read.\n"
    "A file that is not packed as listed gets a problem line.\n"
    "\n"
    "Exit status: 0 when no problem line was shown, 1 otherwise.\n";

}  // namespace

Command commandOf(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) return Command::kPack;
  const char* argument = argv[1];
  if (std::strcmp(argument, "--help") == 0 ||
      std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "/?") == 0) {
    return Command::kHelp;
  }
  if (std::strcmp(argument, "--version") == 0) return Command::kVersion;
  return Command::kPack;
}

std::string usageText() {
  std::string text = kUsage;
  const std::string list = platform::shownPath(kListPath);
  for (size_t at = text.find("LIST"); at != std::string::npos;
       at = text.find("LIST", at + list.size())) {
    text.replace(at, 4, list);
  }
  return text;
}

std::string versionText() { return std::string("scrpack ") + kVersion + "\n"; }

}  // namespace scrpack
