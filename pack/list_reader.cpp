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

void ListReader::open(const std::string& path) {
  close();
  file_ = platform::openFile(path, platform::OpenMode::kRead);
}

void ListReader::close() {
  file_.reset();
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
  // A read failure counts as the end of the file.
  const size_t n = file_->readAt(filePos_, chunk_.data(), kChunk);
  chunk_.resize(n);
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

std::string ListReader::readName() {
  std::string name;
  for (;;) {
    const int b = getDelivered();
    if (b < 0) {
      // The end of the file ended the line: trailing zero bytes go, then
      // one CR.
      while (!name.empty() && name.back() == '\0') name.pop_back();
      if (!name.empty() && name.back() == '\r') name.pop_back();
      return name;
    }
    if (b == kLf) {
      if (!name.empty() && name.back() == '\r') name.pop_back();
      return name;
    }
    name.push_back(static_cast<char>(b));
  }
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
