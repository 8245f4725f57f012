// scrpack: packs the files listed in data/flist into "velkoscr".
// Exits with status 0 when every file was packed as listed, 1 when a
// problem line was shown; --help and --version answer and exit 0.
#include <clocale>
#include <cstdio>
#include <memory>
#include <string>

#include "pack/command_line.h"
#include "pack/packing_run.h"
#include "platform/system.h"
#include "status/status_output.h"
#include "status/status_window.h"

int main(int argc, char** argv) {
  // First of all: no file may take the place of a closed standard stream.
  scrpack::platform::prepareProcess();
  // Lowering names relies on the user's character-type locale.
  std::setlocale(LC_CTYPE, "");
  switch (scrpack::commandOf(argc, argv)) {
    case scrpack::Command::kHelp:
      std::fputs(scrpack::usageText().c_str(), stdout);
      return 0;
    case scrpack::Command::kVersion:
      std::fputs(scrpack::versionText().c_str(), stdout);
      return 0;
    case scrpack::Command::kPack:
      break;
  }
#ifdef SCRPACK_WRITE_THROUGH
  // A build for the tests only: every print leaves at once, so that a test
  // that reads the output from a pipe knows how far the run has come.
  constexpr size_t kBatchBytes = 1;
#else
  constexpr size_t kBatchBytes = scrpack::kBatchBytes;
#endif
  scrpack::StatusOutput status(scrpack::StatusWindow::Create(), kBatchBytes);
  return scrpack::runPacking(status);
}
