// The directory that entries are extracted into. Files are created only
// below it: a symlink (or junction) on the way is refused, never followed,
// and an existing file is replaced only when asked to.
#ifndef SCRPACK_UNPACK_OUTPUT_TREE_H_
#define SCRPACK_UNPACK_OUTPUT_TREE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "unpack/entry_path.h"

namespace scrpack {

enum class WriteStatus {
  kWritten,
  kExists,   // the file is there and replacing was not asked for
  kSymlink,  // a symlink is on the way or is the file itself
  kBlocked,  // a file stands where a directory must be, or the reverse
  kFailed,   // the system refused; the detail says why
};

struct WriteResult {
  WriteStatus status = WriteStatus::kFailed;
  std::string detail;  // the system's message for kFailed
};

// Delivers |count| bytes of the contents from byte |start| into |buffer|;
// false when they cannot be read.
using ContentsReader =
    std::function<bool(int64_t start, unsigned char* buffer, size_t count)>;

class OutputTree {
 public:
  virtual ~OutputTree() = default;

  // Opens the existing directory |dir|; null with |*error| set when it
  // cannot be opened.
  static std::unique_ptr<OutputTree> open(const std::string& dir,
                                          std::string* error);
  // The file-name rules of this system.
  static PathRules rules();

  // Creates the file at |path| below the directory, making the directories
  // on the way, and fills it with |size| bytes from |contents|. With
  // |replace|, an existing file is replaced as a whole: the new contents
  // are written beside it first, so a failure leaves the old file.
  virtual WriteResult write(const EntryPath& path, bool replace, int64_t size,
                            const ContentsReader& contents) = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_OUTPUT_TREE_H_
