#include "status/text_rules.h"

#include <algorithm>
#include <string>

namespace scrpack {
namespace {

constexpr unsigned char kBel = 0x07;
constexpr unsigned char kBs = 0x08;
constexpr unsigned char kTab = 0x09;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;
constexpr int kTabStop = 8;

// The state of one print in progress.
class Printer {
 public:
  Printer(TextSurface& surface, TextCursor& cursor)
      : surface_(surface),
        columns_(std::max(1, surface.columns())),
        rows_(std::max(1, surface.rows())),
        cursor_(cursor) {}

  void takePendingWrap() {
    if (!cursor_.pendingWrap) return;
    cursor_.pendingWrap = false;
    cursor_.column = 0;
    ++cursor_.row;
    scrollExcess();
  }

  void put(unsigned char byte) { run_.push_back(static_cast<char>(byte)); }

  void tab() {
    // The column where the bytes collected so far leave the cursor, with
    // the same wrap at the right edge as writing.
    const int column = static_cast<int>((cursor_.column + run_.size()) %
                                        static_cast<size_t>(columns_));
    run_.append(static_cast<size_t>(kTabStop - column % kTabStop), ' ');
  }

  void backspace() {
    flush();
    if (cursor_.column > 0) --cursor_.column;
    controlSinceFlush_ = true;
  }

  void lineFeed() {
    flush();
    cursor_.column = 0;
    ++cursor_.row;
    controlSinceFlush_ = true;
  }

  void carriageReturn() {
    flush();
    cursor_.column = 0;
    controlSinceFlush_ = true;
  }

  void finish() {
    if (!run_.empty()) {
      flush();
    } else if (controlSinceFlush_) {
      scrollExcess();
    }
    if (cursor_.column == 0 && cursor_.row == rows_) {
      // Just past the last cell: wrap only when something follows.
      cursor_.pendingWrap = true;
      cursor_.column = columns_ - 1;
      cursor_.row = rows_ - 1;
    } else {
      scrollExcess();
    }
  }

 private:
  void scrollExcess() {
    if (cursor_.row > rows_ - 1) {
      surface_.scrollUp(cursor_.row - (rows_ - 1));
      cursor_.row = rows_ - 1;
    }
  }

  void flush() {
    size_t done = 0;
    while (done < run_.size()) {
      scrollExcess();
      const size_t room = static_cast<size_t>(columns_ - cursor_.column);
      const size_t piece = std::min(run_.size() - done, room);
      surface_.writePiece(
          reinterpret_cast<const unsigned char*>(run_.data()) + done,
          static_cast<int>(piece));
      done += piece;
      cursor_.column += static_cast<int>(piece);
      if (cursor_.column >= columns_) {
        cursor_.column = 0;
        ++cursor_.row;
      }
    }
    run_.clear();
    controlSinceFlush_ = false;
  }

  TextSurface& surface_;
  const int columns_;
  const int rows_;
  TextCursor& cursor_;
  std::string run_;
  bool controlSinceFlush_ = false;
};

}  // namespace

void printText(TextSurface& surface, const unsigned char* bytes, size_t size,
               const BellFunction& bell) {
  if (size == 0) return;
  surface.beginPrint();
  Printer printer(surface, surface.cursor_);
  printer.takePendingWrap();
  for (size_t i = 0; i < size; ++i) {
    switch (bytes[i]) {
      case kBel:
        if (bell) bell();
        break;
      case kBs:
        printer.backspace();
        break;
      case kTab:
        printer.tab();
        break;
      case kLf:
        printer.lineFeed();
        break;
      case kCr:
        printer.carriageReturn();
        break;
      default:
        printer.put(bytes[i]);
        break;
    }
  }
  printer.finish();
  surface.endPrint();
}

}  // namespace scrpack
