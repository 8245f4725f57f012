#include "pack/list_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace scrpack {
namespace {

constexpr int kLf = 0x0A;
constexpr int kCr = 0x0D;
constexpr int kEndOfFileMark = 0x1A;

}  // namespace

const char kListPath[] = "data\\flist";

bool ListReader::open(const std::string& path) {
  platform::OpenResult opened =
      platform::openFile(path, platform::OpenMode::kRead);
  open(std::move(opened.file));
  openReason_ = std::move(opened.reason);
  return file_ != nullptr;
}

void ListReader::open(std::unique_ptr<platform::FileHandle> file) {
  close();
  file_ = std::move(file);
}

void ListReader::close() {
  file_.reset();
  openReason_.clear();
  readFailure_.clear();
  nameCut_ = false;
  chunk_.clear();
  chunkPos_ = 0;
  filePos_ = 0;
  rawEnd_ = false;
  ended_ = false;
  peeked_ = -2;
}

int ListReader::rawPeek() {
  if (chunkPos_ < chunk_.size()) return chunk_[chunkPos_];
  if (rawEnd_ || !file_) return -1;
  chunk_.resize(kChunk);
  // A read failure counts as the end of the file, after the bytes that
  // this read still delivered.
  const size_t n = file_->readAt(filePos_, chunk_.data(), kChunk);
  chunk_.resize(n);
  if (n < kChunk && !file_->failure().empty()) {
    readFailure_ = file_->failure();
    rawEnd_ = true;
  }
  chunkPos_ = 0;
  filePos_ += static_cast<int64_t>(n);
  if (n == 0) {
    rawEnd_ = true;
    return -1;
  }
  return chunk_[0];
}

int ListReader::rawGet() {
  const int b = rawPeek();
  if (b >= 0) ++chunkPos_;
  return b;
}

int ListReader::peekDelivered() {
  if (peeked_ != -2) return peeked_;
  int b = ended_ ? -1 : rawGet();
  if (b == kEndOfFileMark) b = -1;
  if (b == kCr && rawPeek() == kLf) {
    rawGet();
    b = kLf;
  }
  if (b < 0) ended_ = true;
  peeked_ = b;
  return b;
}

int ListReader::getDelivered() {
  const int b = peekDelivered();
  if (b >= 0) peeked_ = -2;
  return b;
}

bool ListReader::atEnd() {
  if (!file_) return true;
  return peekDelivered() < 0;
}

// What a cut line's dropped bytes say about where its name would end.
struct ListReader::Dropped {
  uint64_t count = 0;
  uint64_t zeroRun = 0;  // zero bytes at the end
  int lastByte = -1;
  int lastNonZero = -1;
  bool endedByLf = false;

  // The same as note() for each of |count| bytes, none of them a CR.
  void notePlain(const unsigned char* bytes, size_t size) {
    if (size == 0) return;
    count += size;
    lastByte = bytes[size - 1];
    size_t zeros = 0;
    while (zeros < size && bytes[size - 1 - zeros] == 0) ++zeros;
    if (zeros == size) {
      zeroRun += size;
    } else {
      zeroRun = zeros;
      lastNonZero = bytes[size - 1 - zeros];
    }
  }

  void note(int b) {
    ++count;
    lastByte = b;
    if (b == 0) {
      ++zeroRun;
    } else {
      zeroRun = 0;
      lastNonZero = b;
    }
  }
};

void ListReader::dropRest(Dropped* dropped) {
  for (;;) {
    if (peeked_ == -2 && !ended_) {
      // Bytes that the translation passes on unchanged, straight from the
      // chunk: a long line goes by at the speed of reading.
      const size_t size = chunk_.size();
      const unsigned char* bytes = chunk_.data();
      const size_t from = chunkPos_;
      size_t i = from;
      while (i < size && bytes[i] != kCr && bytes[i] != kLf &&
             bytes[i] != kEndOfFileMark) {
        ++i;
      }
      dropped->notePlain(bytes + from, i - from);
      chunkPos_ = i;
      if (i == size && rawPeek() >= 0) continue;
    }
    const int b = getDelivered();
    if (b < 0) return;
    if (b == kLf) {
      dropped->endedByLf = true;
      return;
    }
    dropped->note(b);
  }
}

std::string ListReader::readName() {
  std::string name;
  nameCut_ = false;
  Dropped dropped;
  for (;;) {
    const int b = getDelivered();
    if (b < 0) break;
    if (b == kLf) {
      if (!name.empty() && name.back() == '\r') name.pop_back();
      return name;
    }
    if (name.size() == kMaxNameBytes) {
      dropped.note(b);
      dropRest(&dropped);
      break;
    }
    name.push_back(static_cast<char>(b));
  }
  if (dropped.count == 0 || (!dropped.endedByLf && dropped.lastNonZero < 0)) {
    // The end of the file ended the line (and anything dropped was zero
    // bytes): trailing zero bytes go, then one CR.
    while (!name.empty() && name.back() == '\0') name.pop_back();
    if (!name.empty() && name.back() == '\r') name.pop_back();
    return name;
  }
  // The line is longer than a name keeps. It is cut unless what its end
  // drops is all that lies beyond the kept bytes: the CR before an LF, or
  // at the end of the file a CR and the zero bytes after it.
  const bool onlyLineEnd =
      dropped.endedByLf
          ? dropped.count == 1 && dropped.lastByte == kCr
          : dropped.count - dropped.zeroRun == 1 && dropped.lastNonZero == kCr;
  nameCut_ = !onlyLineEnd;
  return name;
}

std::string lowerName(const std::string& name) {
  std::string lowered = name;
  for (char& c : lowered) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') {
      c = static_cast<char>(b + ('a' - 'A'));
    } else if (b >= 0x80 && std::isupper(b)) {
      c = static_cast<char>(static_cast<unsigned char>(std::tolower(b)));
    }
  }
  return lowered;
}

void deriveEntryName(const std::string& name,
                     unsigned char out[kEntryNameSize]) {
  const std::string lowered = lowerName(name);
  std::memset(out, 0, kEntryNameSize);
  std::memcpy(out, lowered.data(), std::min(lowered.size(), kEntryNameSize));
}

std::string inputPath(const std::string& name) {
  std::string path = "data\\";
  path.append(name.c_str());  // ends before the first zero byte
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace scrpack
