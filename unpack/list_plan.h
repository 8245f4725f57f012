// The entries the packer would write now for the list file and the files
// of a working directory, for comparing a pack with them.
#ifndef SCRPACK_UNPACK_LIST_PLAN_H_
#define SCRPACK_UNPACK_LIST_PLAN_H_

#include <string>
#include <vector>

#include "unpack/check_rules.h"

namespace scrpack {

// The path of the list file in the working directory |dir|.
std::string listPathIn(const std::string& dir);

// Reads |dir|'s list file by the packer's rules and gives the entries of
// its first 31 names: stored names, the current lengths of the files under
// |dir|/data (0 for one that cannot be opened or is too large for the
// pack) and the offsets back to back from the data area's start. False
// when the list file cannot be opened.
bool planFromList(const std::string& dir, std::vector<PlannedEntry>* plan);

// The current contents of |entry|'s file under |dir|/data, up to one byte
// more than its planned size; false when the file cannot be opened.
bool readPlannedFile(const std::string& dir, const PlannedEntry& entry,
                     std::vector<unsigned char>* bytes);

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_LIST_PLAN_H_
