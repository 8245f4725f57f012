// The pack file "velkoscr" as the run writes it.
//
// Where the working directory allows, the new pack is written to a
// temporary file of our own beside "velkoscr", made anew (never through a
// link), and put in its place in one step once it is complete and on the
// disk: an old pack stays untouched until then, and a run that ends early
// leaves either the old pack or the complete new one. An interrupt removes
// the temporary file. Where no temporary file can be made, "velkoscr"
// itself is written in place, cut to the new length at the end.
//
// Neither file is ever opened through a symbolic link, and the copy pass
// writes only to the very file that the directory pass wrote.
#ifndef SCRPACK_PACK_PACK_FILE_H_
#define SCRPACK_PACK_PACK_FILE_H_

#include <cstdint>
#include <string>

#include "pack/file_stream.h"
#include "platform/file.h"

namespace scrpack {

class Problems;

class PackFile {
 public:
  explicit PackFile(Problems& problems) : problems_(problems) {}
  // Removes a temporary file that finish() did not put in place.
  ~PackFile();
  PackFile(const PackFile&) = delete;
  PackFile& operator=(const PackFile&) = delete;

  // Opens the pack for the directory pass; says so when it cannot be
  // written, and then the stream stays closed for the whole run.
  void beginDirectoryPass();
  // Writes out and closes the pack after a pass.
  void endPass();
  // Opens the same file again for the copy pass; when its path names
  // another file now, says so and leaves the stream closed.
  void beginCopyPass();
  // The pack's stream while a pass has it open; closed and inert otherwise.
  FileStream& stream() { return stream_; }
  // Says the first failed write of the run.
  void checkWrites();
  // Ends the pack at |end| bytes, writes it through to the disk and closes
  // it; a temporary pack then takes the place of "velkoscr" (or is copied
  // over it), unless a write failed, when it is removed and the old pack
  // stays.
  void finish(int64_t end);

  // For tests: whether the pack is written through a temporary file.
  bool temporary() const { return temporary_; }

 private:
  void say(const char* phrase, const std::string& reason = std::string());
  void dropTemporary();
  // Where the complete temporary pack cannot take the old pack's place
  // (another program holds it open), the old pack is overwritten with it
  // in place.
  void copyInPlace();

  Problems& problems_;
  std::string path_;  // the file written: temporary, or the pack itself
  bool temporary_ = false;
  bool writable_ = false;
  bool writeFailed_ = false;
  platform::FileId id_;
  FileStream stream_;
};

}  // namespace scrpack

#endif  // SCRPACK_PACK_PACK_FILE_H_
