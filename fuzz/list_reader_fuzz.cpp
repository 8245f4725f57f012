// The list reader on arbitrary bytes as a list file: it ends, every name is
// one line without its LF, and the names and the paths derived from them
// keep their rules.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_check.h"
#include "pack/list_reader.h"
#include "pack/pack_format.h"

namespace {

// One list file per fuzzing process, written anew for every input and
// removed as soon as the reader has it open.
const std::string& listPath() {
  static const std::string path =
      "/tmp/scrpack-fuzz-list-" + std::to_string(::getpid());
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(listPath().c_str(), "wb");
  if (!file) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;

  scrpack::ListReader list;
  list.open(listPath());
  std::remove(listPath().c_str());
  size_t nameBytes = 0;
  size_t names = 0;
  while (!list.atEnd()) {
    const std::string name = list.readName();
    FUZZ_CHECK(name.find('\n') == std::string::npos);
    nameBytes += name.size() + 1;
    ++names;
    FUZZ_CHECK(nameBytes <= size + 1);  // at least one byte per line
    unsigned char derived[scrpack::kEntryNameSize];
    scrpack::deriveEntryName(name, derived);
    const std::string path = scrpack::inputPath(name);
    FUZZ_CHECK(path.compare(0, 5, "data\\") == 0);
    FUZZ_CHECK(path.find('/') == std::string::npos);
    FUZZ_CHECK(path.find('\0') == std::string::npos);
  }
  FUZZ_CHECK(names <= size);
  FUZZ_CHECK(list.atEnd());  // stays at the end
  return 0;
}
