// Reads the pack file "velkoscr" that scrpack writes: its directory and the
// contents of its entries. This header needs nothing but the C++17 standard
// library.
//
// Packs may come from anywhere. Every operation checks the pack's own
// numbers against its real length first: a damaged or hostile pack gives an
// error value, never an exception, a read outside the pack, or an
// allocation larger than the pack.
//
//   scrpack::PackReader pack;
//   if (pack.open("velkoscr") != scrpack::PackError::kNone) ...
//   const scrpack::PackItem* item = pack.find("Title.JPG");
//   std::vector<unsigned char> bytes;
//   if (item && pack.read(*item, &bytes) == scrpack::PackError::kNone) ...
#ifndef SCRPACK_READER_PACK_READER_H_
#define SCRPACK_READER_PACK_READER_H_

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace scrpack {

enum class PackError {
  kNone = 0,
  kCannotOpen,    // the file could not be opened, or is not a file
  kCannotRead,    // reading the file failed
  kTooShort,      // shorter than the directory: not a pack
  kNotOpen,       // no pack is open
  kOutOfRange,    // the entry lies outside the pack's data area
  kOutsideEntry,  // the bytes asked for lie outside the entry
};

// A short English description, e.g. "the pack is shorter than its
// directory".
const char* describePackError(PackError error);

// One directory entry as stored: slot 1 to 31, the stored name without its
// zero padding (at most 39 bytes unless the pack is damaged), and offset and
// size as the pack gives them, which may be negative or past the end in a
// damaged pack.
struct PackItem {
  int slot = 0;
  std::string name;
  int32_t offset = 0;
  int32_t size = 0;
};

class PackReader {
 public:
  PackReader() = default;
  PackReader(const PackReader&) = delete;
  PackReader& operator=(const PackReader&) = delete;
  PackReader(PackReader&&) = default;
  PackReader& operator=(PackReader&&) = default;

  // Opens the pack at |path| (a path in the system's narrow encoding) and
  // reads its directory; the contents are read on demand. Any pack opened
  // before is closed first, and stays closed when this fails.
  PackError open(const std::string& path);
  // Takes a copy of |size| bytes of a pack held in memory.
  PackError openBytes(const void* data, size_t size);
  void close();
  bool isOpen() const { return open_; }

  // The pack's length in bytes.
  int64_t length() const { return length_; }
  // The entries in slot order. An all-zero slot is empty and has no item;
  // an empty name with an offset or a size is an item.
  const std::vector<PackItem>& items() const { return items_; }
  // The first item whose stored name is |name| stored as the packer stores
  // it: capitals A-Z lowered, cut to 39 bytes. Null when there is none.
  const PackItem* find(const std::string& name) const;

  // Whether the item's bytes all lie in the data area of the pack.
  bool inRange(const PackItem& item) const;
  // Replaces |*bytes| with the item's contents.
  PackError read(const PackItem& item, std::vector<unsigned char>* bytes);
  // Reads |count| bytes from byte |start| of the item into |buffer|.
  PackError read(const PackItem& item, int64_t start, void* buffer,
                 size_t count);

  // True for bytes 0 to 47, which no entry uses, when any of them is set.
  bool slotZeroUsed() const { return slotZeroUsed_; }

 private:
  PackError readDirectory(const unsigned char* directory);
  PackError readPack(int64_t position, void* buffer, size_t count);

  bool open_ = false;
  std::ifstream file_;                // set when opened from a path
  std::vector<unsigned char> bytes_;  // set when opened from memory
  bool inMemory_ = false;
  int64_t length_ = 0;
  std::vector<PackItem> items_;
  bool slotZeroUsed_ = false;
};

}  // namespace scrpack

#endif  // SCRPACK_READER_PACK_READER_H_
