// The packing run: the tool's whole life from the status output's opening
// to its closing. See README.md for the pack layout.
#ifndef SCRPACK_PACK_PACKING_RUN_H_
#define SCRPACK_PACK_PACKING_RUN_H_

namespace scrpack {

class StatusOutput;

extern const char kPackPath[];   // "velkoscr"
extern const char kFinalLine[];  // "Jpeg files are packed to velkoscr"
constexpr int kFinalPauseMs = 1500;

// Builds "velkoscr" from the list in the working directory, showing every
// name through |status|. Never fails: every file-system failure is met by
// carrying on.
void runPacking(StatusOutput& status);

}  // namespace scrpack

#endif  // SCRPACK_PACK_PACKING_RUN_H_
