// A grid of character cells that prints are drawn on, with the text rules
// that move its cursor: control bytes, tab stops, wrapping at the right
// edge, scrolling at the bottom and the pending wrap.
//
// The window's text grid and the terminal console are the two surfaces;
// both share printText() so they behave alike byte for byte.
#ifndef SCRPACK_STATUS_TEXT_RULES_H_
#define SCRPACK_STATUS_TEXT_RULES_H_

#include <cstddef>
#include <functional>

namespace scrpack {

// Where the next byte of a print goes, and whether a wrap is owed: the
// pending wrap is set when a print ended right after the last cell of the
// last row, and the next print starts by wrapping.
struct TextCursor {
  int column = 0;
  int row = 0;
  bool pendingWrap = false;
};

// Sounds the bell for a BEL byte and returns when the tone has ended.
using BellFunction = std::function<void()>;

class TextSurface {
 public:
  virtual ~TextSurface() = default;

  // Size in cells; read by printText() after beginPrint().
  virtual int columns() const = 0;
  virtual int rows() const = 0;

  // Surface operations, called by printText() in this order: begin, then
  // any number of writes and scrolls, then end.
  virtual void beginPrint() = 0;
  // Draws |count| bytes, one per cell, from the cursor to the right. The
  // caller guarantees they fit on the cursor's row.
  virtual void writePiece(const unsigned char* bytes, int count) = 0;
  // Moves every row up by |count| rows, blanking the freed rows at the
  // bottom. The cursor is the caller's to adjust.
  virtual void scrollUp(int count) = 0;
  virtual void endPrint() = 0;

  const TextCursor& cursor() const { return cursor_; }
  // Back to the top-left cell with no pending wrap, as on a fresh surface.
  void resetCursor() { cursor_ = TextCursor(); }

 protected:
  // Moved by printText(); a surface whose device keeps a cursor of its own
  // reads it in beginPrint() and writes it back in endPrint().
  TextCursor cursor_;

 private:
  friend void printText(TextSurface& surface, const unsigned char* bytes,
                        size_t size, const BellFunction& bell);
};

// One print of |size| bytes on |surface|. A print of zero bytes does
// nothing at all, not even begin the print.
void printText(TextSurface& surface, const unsigned char* bytes, size_t size,
               const BellFunction& bell);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_TEXT_RULES_H_
