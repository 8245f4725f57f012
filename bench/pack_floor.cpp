// The least a packer of this format can do, for the benchmark to measure
// scrpack against: the same files opened the same way, the same pack
// written to the same offsets, and nothing shown.
//
// Two passes over data/flist, as scrpack makes them. The first opens each
// listed file for reading and writing, takes its length from the open's
// fstat and writes the directory in one go; the second opens each file
// again and lets the kernel copy it to its offset in the data area.
//
// Handles the plain names the benchmark lists (one per line, CR LF or LF);
// it is no packer of any other list.
//
// usage: pack_floor   (in the directory that holds data/)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSlots = 32;
constexpr int kSlotSize = 48;
constexpr int kNameSize = 40;
constexpr int64_t kDataStart = kSlots * kSlotSize;
constexpr int kOpenFlags = O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

std::vector<std::string> readList() {
  std::vector<std::string> names;
  const int fd = ::open("data/flist", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return names;
  std::string text;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    names.push_back(name);
    start = end + 1;
  }
  return names;
}

// Opens data/|name| as scrpack opens an input file; -1 and a length of 0
// when it cannot.
int openInput(const std::string& name, int64_t* length) {
  *length = 0;
  const int fd = ::open(("data/" + name).c_str(), kOpenFlags);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) *length = st.st_size;
  return fd;
}

void putLittleEndian(int64_t value, unsigned char* out) {
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

int main() {
  ::unlink("velkoscr");
  int pack = ::open("velkoscr", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (pack < 0) return 1;
  unsigned char directory[kDataStart] = {};
  std::vector<std::string> names = readList();
  int64_t offset = kDataStart;
  int slot = 1;
  for (const std::string& name : names) {
    int64_t length = 0;
    const int fd = openInput(name, &length);
    if (fd >= 0) ::close(fd);
    if (slot < kSlots) {
      unsigned char* entry = directory + slot * kSlotSize;
      for (size_t i = 0; i < name.size() && i < kNameSize; ++i) {
        entry[i] = static_cast<unsigned char>(
            std::tolower(static_cast<unsigned char>(name[i])));
      }
      putLittleEndian(offset, entry + kNameSize);
      putLittleEndian(length, entry + kNameSize + 4);
      ++slot;
    }
    offset += length;
  }
  if (::pwrite(pack, directory, sizeof directory, 0) !=
      static_cast<ssize_t>(sizeof directory)) {
    return 1;
  }
  ::close(pack);

  pack = ::open("velkoscr", O_RDWR | O_CLOEXEC);
  if (pack < 0) return 1;
  names = readList();
  loff_t to = kDataStart;
  for (const std::string& name : names) {
    int64_t length = 0;
    const int fd = openInput(name, &length);
    if (fd < 0) continue;
    loff_t from = 0;
    while (length > 0) {
      const ssize_t n = ::copy_file_range(fd, &from, pack, &to,
                                          static_cast<size_t>(length), 0);
      if (n <= 0) break;
      length -= n;
    }
    ::close(fd);
  }
  ::close(pack);
  return 0;
}
