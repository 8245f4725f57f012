// The packing run: the tool's whole life from the status output's opening
// to its closing. See README.md for the pack layout.
#ifndef SCRPACK_PACK_PACKING_RUN_H_
#define SCRPACK_PACK_PACKING_RUN_H_

namespace scrpack {

class StatusOutput;

extern const char kPackPath[];   // "velkoscr"
extern const char kFinalLine[];  // "Jpeg files are packed to velkoscr"
constexpr int kFinalPauseMs = 1500;

// The exit statuses of a run.
constexpr int kExitPacked = 0;    // no problem line was shown
constexpr int kExitProblems = 1;  // at least one problem line was shown

// Builds "velkoscr" from the list in the working directory, showing every
// name through |status|. Goes on past every file-system failure, and says
// each one that leaves the pack other than the list names in a problem
// line (pack/problems.h). Returns the exit status.
int runPacking(StatusOutput& status);

}  // namespace scrpack

#endif  // SCRPACK_PACK_PACKING_RUN_H_
