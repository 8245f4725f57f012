#include "reader/pack_reader.h"

#include <algorithm>
#include <cstring>

#include "pack/pack_format.h"

namespace scrpack {
namespace {

// The stored name of a 40-byte name field: its bytes without the zero
// padding at the end.
std::string storedName(const unsigned char* field, size_t size) {
  while (size > 0 && field[size - 1] == 0) --size;
  return std::string(reinterpret_cast<const char*>(field), size);
}

bool allZero(const unsigned char* bytes, size_t size) {
  return std::all_of(bytes, bytes + size,
                     [](unsigned char b) { return b == 0; });
}

}  // namespace

const char* describePackError(PackError error) {
  switch (error) {
    case PackError::kNone:
      return "no error";
    case PackError::kCannotOpen:
      return "cannot open the pack";
    case PackError::kCannotRead:
      return "cannot read the pack";
    case PackError::kTooShort:
      return "shorter than the 1536-byte directory of a pack";
    case PackError::kNotOpen:
      return "no pack is open";
    case PackError::kOutOfRange:
      return "the entry lies outside the pack's data area";
    case PackError::kOutsideEntry:
      return "the bytes asked for lie outside the entry";
  }
  return "unknown error";
}

PackError PackReader::open(const std::string& path) {
  close();
  file_.open(path, std::ios::binary);
  if (!file_.is_open()) return PackError::kCannotOpen;
  file_.seekg(0, std::ios::end);
  const std::streamoff end = file_.tellg();
  if (!file_ || end < 0) {
    close();
    return PackError::kCannotRead;
  }
  length_ = static_cast<int64_t>(end);
  if (length_ < kDirectoryLength) {
    close();
    return PackError::kTooShort;
  }
  open_ = true;
  unsigned char directory[kDirectoryLength];
  const PackError error = readPack(0, directory, sizeof directory);
  if (error != PackError::kNone) {
    close();
    return error;
  }
  return readDirectory(directory);
}

PackError PackReader::openBytes(const void* data, size_t size) {
  close();
  if (size < static_cast<size_t>(kDirectoryLength)) return PackError::kTooShort;
  const unsigned char* begin = static_cast<const unsigned char*>(data);
  bytes_.assign(begin, begin + size);
  inMemory_ = true;
  open_ = true;
  length_ = static_cast<int64_t>(size);
  return readDirectory(bytes_.data());
}

void PackReader::close() {
  if (file_.is_open()) file_.close();
  file_.clear();
  bytes_.clear();
  bytes_.shrink_to_fit();
  inMemory_ = false;
  open_ = false;
  length_ = 0;
  items_.clear();
  slotZeroUsed_ = false;
}

PackError PackReader::readDirectory(const unsigned char* directory) {
  slotZeroUsed_ = !allZero(directory, kSlotSize);
  for (int32_t slot = 1; slot < kSlotCount; ++slot) {
    const unsigned char* bytes = directory + slot * kSlotSize;
    if (allZero(bytes, kSlotSize)) continue;
    const PackEntry entry = decodePackEntry(bytes);
    PackItem item;
    item.slot = slot;
    item.name = storedName(entry.name, kEntryNameSize);
    item.offset = entry.offset;
    item.size = entry.size;
    items_.push_back(std::move(item));
  }
  return PackError::kNone;
}

const PackItem* PackReader::find(const std::string& name) const {
  // The query as the packer would store it; only A-Z are lowered, since a
  // reader cannot know the locale the pack was made in.
  std::string query = name.substr(0, kStoredNameBytes);
  for (char& c : query) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  query = storedName(reinterpret_cast<const unsigned char*>(query.data()),
                     query.size());
  for (const PackItem& item : items_) {
    if (item.name == query) return &item;
  }
  return nullptr;
}

bool PackReader::inRange(const PackItem& item) const {
  const int64_t offset = item.offset;
  const int64_t size = item.size;
  return open_ && offset >= kDirectoryLength && size >= 0 &&
         offset + size <= length_;
}

PackError PackReader::read(const PackItem& item,
                           std::vector<unsigned char>* bytes) {
  if (!open_) return PackError::kNotOpen;
  if (!inRange(item)) return PackError::kOutOfRange;
  bytes->resize(static_cast<size_t>(item.size));
  const PackError error = read(item, 0, bytes->data(), bytes->size());
  if (error != PackError::kNone) bytes->clear();
  return error;
}

PackError PackReader::read(const PackItem& item, int64_t start, void* buffer,
                           size_t count) {
  if (!open_) return PackError::kNotOpen;
  if (!inRange(item)) return PackError::kOutOfRange;
  if (start < 0 || start > item.size ||
      count > static_cast<uint64_t>(item.size - start)) {
    return PackError::kOutsideEntry;
  }
  return readPack(item.offset + start, buffer, count);
}

PackError PackReader::readPack(int64_t position, void* buffer, size_t count) {
  if (count == 0) return PackError::kNone;
  if (inMemory_) {
    std::memcpy(buffer, bytes_.data() + position, count);
    return PackError::kNone;
  }
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(position));
  file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
  // The file may have been cut since it was opened.
  if (!file_ || file_.gcount() != static_cast<std::streamsize>(count)) {
    file_.clear();
    return PackError::kCannotRead;
  }
  return PackError::kNone;
}

}  // namespace scrpack
