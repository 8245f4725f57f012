// The list file "data\flist" and the names derived from its lines.
//
// The list is read in text mode: CR LF becomes LF, any other CR stays, and
// a 0x1A byte ends the file. One line is one name, without its terminator;
// a name may be empty and may hold any byte, zero included.
#ifndef SCRPACK_PACK_LIST_READER_H_
#define SCRPACK_PACK_LIST_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pack/pack_format.h"
#include "platform/file.h"

namespace scrpack {

extern const char kListPath[];  // "data\flist"

// The most bytes of a line that a name keeps: more than any path that
// Linux or Windows opens. The rest of a longer line is read and dropped.
constexpr size_t kMaxNameBytes = 32768;

class ListReader {
 public:
  ListReader() = default;
  ~ListReader() { close(); }
  ListReader(const ListReader&) = delete;
  ListReader& operator=(const ListReader&) = delete;

  // Opens kListPath; or, for tests, another list file or an open file.
  // False when the file cannot be opened; openReason() gives the system's
  // words for it.
  bool open() { return open(kListPath); }
  bool open(const std::string& path);
  void open(std::unique_ptr<platform::FileHandle> file);
  const std::string& openReason() const { return openReason_; }
  // True when the reader is closed or no further byte can be delivered.
  bool atEnd();
  // The next name, at most kMaxNameBytes of it; call only after atEnd()
  // gave false.
  std::string readName();
  // Whether the latest name was longer than kMaxNameBytes and was cut.
  bool nameCut() const { return nameCut_; }
  // Whether reading failed before the end of the file (the list then ends
  // there), and the system's words for it.
  bool readFailed() const { return !readFailure_.empty(); }
  const std::string& readFailure() const { return readFailure_; }
  void close();

 private:
  static constexpr size_t kChunk = 64 * 1024;

  int rawPeek();
  int rawGet();
  // Consumes the rest of a line longer than kMaxNameBytes, keeping only
  // what decides where its name ends.
  struct Dropped;
  void dropRest(Dropped* dropped);
  // The next byte after text-mode translation, or -1 at the end.
  int peekDelivered();
  int getDelivered();

  std::unique_ptr<platform::FileHandle> file_;
  std::string openReason_;
  std::string readFailure_;
  bool nameCut_ = false;
  std::vector<unsigned char> chunk_;
  size_t chunkPos_ = 0;
  int64_t filePos_ = 0;
  bool rawEnd_ = false;
  bool ended_ = false;  // a 0x1A byte or the end of the raw bytes was met
  int peeked_ = -2;     // -2: nothing peeked yet
};

// Per-byte lowering: A-Z always; bytes 0x80-0xFF where the character-type
// locale calls them upper case. Other bytes stay.
std::string lowerName(const std::string& name);

// The lowered name, zero padded or cut to exactly kEntryNameSize bytes.
void deriveEntryName(const std::string& name,
                     unsigned char out[kEntryNameSize]);

// "data\" + name, slashes turned into backslashes, ending before the name's
// first zero byte.
std::string inputPath(const std::string& name);

}  // namespace scrpack

#endif  // SCRPACK_PACK_LIST_READER_H_
