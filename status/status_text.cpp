#include "status/status_text.h"

#include <algorithm>

#include "status/font.h"

namespace scrpack {

int StatusText::columns() const { return frame_.width() / kGlyphWidth; }
int StatusText::rows() const { return frame_.height() / kGlyphHeight; }

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

void StatusText::writePiece(const unsigned char* bytes, int count) {
  const int row = cursor_.row;
  if (row < 0 || row >= rows()) return;
  const int first = std::max(0, cursor_.column);
  const int last = std::min(columns(), cursor_.column + count);
  for (int column = first; column < last; ++column) {
    drawGlyph(column, row, bytes[column - cursor_.column]);
  }
  touch(row * kGlyphHeight, row * kGlyphHeight + kGlyphHeight - 1);
}

void StatusText::scrollUp(int count) {
  if (count <= 0) return;
  frame_.scrollUp(count * kGlyphHeight, kTextBackground);
  touch(0, frame_.height() - 1);
}

}  // namespace scrpack
