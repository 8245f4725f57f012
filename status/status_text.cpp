#include "status/status_text.h"

#include <algorithm>
#include <cstring>

#include "status/font.h"

namespace scrpack {
namespace {

size_t cellCount(int columns, int rows) {
  return static_cast<size_t>(std::max(0, columns)) *
         static_cast<size_t>(std::max(0, rows));
}

}  // namespace

StatusText::StatusText(Frame& frame)
    : frame_(frame),
      columns_(frame.width() / kGlyphWidth),
      rows_(frame.height() / kGlyphHeight),
      cells_(cellCount(columns_, rows_), 0),
      dirty_(cellCount(columns_, rows_), 0),
      dirtyRows_(static_cast<size_t>(std::max(0, rows_)), 0) {}

void StatusText::beginPrint() {
  frame_.lock().lock();
  touchedFirst_ = frame_.height();
  touchedLast_ = -1;
}

void StatusText::endPrint() {
  if (touchedLast_ >= touchedFirst_)
    frame_.markRows(touchedFirst_, touchedLast_);
  frame_.lock().unlock();
}

void StatusText::touch(int firstPixelRow, int lastPixelRow) {
  touchedFirst_ = std::min(touchedFirst_, firstPixelRow);
  touchedLast_ = std::max(touchedLast_, lastPixelRow);
}

size_t StatusText::ringRow(int row) const {
  return static_cast<size_t>((origin_ + row) % rows_);
}

unsigned char* StatusText::cells(int row) {
  return cells_.data() + ringRow(row) * static_cast<size_t>(columns_);
}

unsigned char* StatusText::dirtyCells(int row) {
  return dirty_.data() + ringRow(row) * static_cast<size_t>(columns_);
}

void StatusText::writePiece(const unsigned char* bytes, int count) {
  const int row = cursor_.row;
  if (row < 0 || row >= rows_) return;
  const int first = std::max(0, cursor_.column);
  const int last = std::min(columns_, cursor_.column + count);
  if (first < last) {
    const size_t length = static_cast<size_t>(last - first);
    std::memcpy(cells(row) + first, bytes + (first - cursor_.column), length);
    std::memset(dirtyCells(row) + first, 1, length);
    dirtyRows_[ringRow(row)] = 1;
  }
  touch(row * kGlyphHeight, row * kGlyphHeight + kGlyphHeight - 1);
}

void StatusText::scrollUp(int count) {
  if (count <= 0) return;
  touch(0, frame_.height() - 1);
  // Once the frame has scrolled by its whole height it is all background;
  // more changes nothing.
  pendingScroll_ += std::min(count, frame_.height() - pendingScroll_);
  if (rows_ <= 0) return;
  const int freed = std::min(count, rows_);
  origin_ = (origin_ + freed) % rows_;
  // The frame's scroll blanks the freed rows: what was written there and
  // not yet painted has gone.
  for (int row = rows_ - freed; row < rows_; ++row) {
    std::memset(dirtyCells(row), 0, static_cast<size_t>(columns_));
    dirtyRows_[ringRow(row)] = 0;
  }
}

void StatusText::paint() {
  if (pendingScroll_ > 0) {
    frame_.scrollUp(pendingScroll_ * kGlyphHeight, kTextBackground);
    pendingScroll_ = 0;
  }
  for (int row = 0; row < rows_; ++row) {
    if (!dirtyRows_[ringRow(row)]) continue;
    dirtyRows_[ringRow(row)] = 0;
    const unsigned char* text = cells(row);
    unsigned char* dirty = dirtyCells(row);
    for (int column = 0; column < columns_; ++column) {
      if (!dirty[column]) continue;
      dirty[column] = 0;
      drawGlyph(column, row, text[column]);
    }
  }
}

void StatusText::drawGlyph(int column, int row, unsigned char byte) {
  const unsigned char* glyph = glyphRows(byte);
  const int x0 = column * kGlyphWidth;
  const int y0 = row * kGlyphHeight;
  for (int y = 0; y < kGlyphHeight; ++y) {
    uint32_t* pixel = frame_.row(y0 + y) + x0;
    const unsigned bits = glyph[y];
    for (int x = 0; x < kGlyphWidth; ++x) {
      // Bit 0 is the leftmost pixel.
      pixel[x] = (bits >> x) & 1u ? kTextForeground : kTextBackground;
    }
  }
}

}  // namespace scrpack
