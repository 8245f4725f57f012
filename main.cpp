// scrpack: packs the files listed in data/flist into "velkoscr".
// Takes no arguments and always exits with status 0.
#include <clocale>
#include <memory>

#include "pack/packing_run.h"
#include "platform/system.h"
#include "status/status_output.h"
#include "status/status_window.h"

int main() {
  // Lowering names relies on the user's character-type locale.
  std::setlocale(LC_CTYPE, "");
  scrpack::platform::prepareProcess();
  scrpack::StatusOutput status(scrpack::StatusWindow::Create());
  scrpack::runPacking(status);
  return 0;
}
