// Where an entry is extracted to: its stored name split into path
// components below the output directory, or the reason it may not be
// written at all. Nothing here touches the file system.
#ifndef SCRPACK_UNPACK_ENTRY_PATH_H_
#define SCRPACK_UNPACK_ENTRY_PATH_H_

#include <string>
#include <vector>

namespace scrpack {

// The file-name rules of the system the files are written on. Windows
// refuses more bytes and has device names that are not files.
enum class PathRules { kPosix, kWindows };

struct EntryPath {
  // Directories first, the file's own name last; empty when refused.
  std::vector<std::string> components;
  // Why the name may not be written, e.g. "is an absolute path"; empty
  // when it may.
  std::string refusal;
};

// Splits |name| at '/' and '\'. Empty and "." components are dropped, as
// the packer's file system drops them. Refused: an empty name, an absolute
// name, a drive letter, a ".." component, a name that ends in a separator,
// and bytes that |rules| does not allow in a file name.
EntryPath entryPath(const std::string& name, PathRules rules);

// One path for comparing entries: the components joined by '/'.
std::string joinedPath(const EntryPath& path);

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_ENTRY_PATH_H_
