// What the tool should write, made independently of the tool's code: the
// bytes of a pack, and the status output of a run with its problem lines.
#ifndef SCRPACK_TESTS_EXPECTED_OUTPUT_H_
#define SCRPACK_TESTS_EXPECTED_OUTPUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tests/process.h"

namespace scrpack {
namespace test {

inline const std::string kFinal = "Jpeg files are packed to velkoscr\r\n";
#ifdef _WIN32
inline const std::string kList = "data\\flist";
#else
inline const std::string kList = "data/flist";
#endif
// The system's words for a directory opened as a file.
inline std::string isADirectory() { return systemReason(21, 267); }
// The problem line of a list that cannot be opened for a missing file
// (on Windows a missing directory has words of its own).
inline std::string noList(bool directoryMissing = false) {
  return kList + ": cannot be read (" +
         systemReason(2, directoryMissing ? 3 : 2) +
         "); velkoscr left as it was\r\n";
}

inline std::string fixed32(uint32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> (8 * i));
  return out;
}

inline std::string slot(const std::string& storedName, uint32_t offset,
                        uint32_t size) {
  std::string name = storedName;
  name.resize(40, '\0');
  return name + fixed32(offset) + fixed32(size);
}

// The pack for files that all fit the directory: stored names are given
// lowered and cut already, so the oracle stays independent of the tool.
struct Entry {
  std::string storedName;
  std::string contents;
};

inline std::string packOf(const std::vector<Entry>& entries) {
  std::string directory(48, '\0');
  std::string data;
  uint32_t offset = 1536;
  for (const Entry& e : entries) {
    directory +=
        slot(e.storedName, offset, static_cast<uint32_t>(e.contents.size()));
    offset += static_cast<uint32_t>(e.contents.size());
    data += e.contents;
  }
  directory.resize(1536, '\0');
  return directory + data;
}

inline std::string linesOf(const std::vector<std::string>& names) {
  std::string once;
  for (const std::string& name : names) once += name + "\r\n";
  return once + once + kFinal;
}

// The output of a run whose passes print |directoryPass| and |copyPass|,
// lines without their line ends, problem lines among them.
inline std::string passes(const std::vector<std::string>& directoryPass,
                          const std::vector<std::string>& copyPass) {
  std::string out;
  for (const std::string& line : directoryPass) out += line + "\r\n";
  for (const std::string& line : copyPass) out += line + "\r\n";
  return out + kFinal;
}

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_EXPECTED_OUTPUT_H_
