// scrunpack: lists, checks and extracts the entries of a pack.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "unpack/arguments.h"
#include "unpack/commands.h"
#include "version.h"

int main(int argc, char** argv) {
  // Comparing with a list lowers names as the packer does, in the user's
  // character-type locale.
  std::setlocale(LC_CTYPE, "");
  const scrpack::Arguments arguments = scrpack::parseArguments(
      std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (!arguments.error.empty()) {
    std::fprintf(stderr, "scrunpack: %s\n%s", arguments.error.c_str(),
                 "Try 'scrunpack --help' for more information.\n");
    return scrpack::kExitUnusable;
  }
  int status = scrpack::kExitFine;
  switch (arguments.command) {
    case scrpack::Command::kHelp:
      std::fputs(scrpack::kUsage, stdout);
      break;
    case scrpack::Command::kVersion:
      std::printf("scrunpack %s\n", scrpack::kVersion);
      break;
    case scrpack::Command::kList:
      status = scrpack::runList(arguments);
      break;
    case scrpack::Command::kCheck:
      status = scrpack::runCheck(arguments);
      break;
    case scrpack::Command::kExtract:
      status = scrpack::runExtract(arguments);
      break;
  }
  // A listing cut short by a full disk or a closed pipe is no listing.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "scrunpack: cannot write the output\n");
    return scrpack::kExitUnusable;
  }
  return status;
}
