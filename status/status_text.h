// The status window's text grid: 8 x 8 code page 437 glyphs, white on
// black, on a grid that covers the frame exactly (80 x 60 cells for the
// 640 x 480 window).
//
// A print holds the frame lock from its beginning to its end and marks the
// pixel rows it touched before releasing it, so the window thread shows
// every print whole, never in part.
//
// A print changes only the grid's characters; paint() draws the changed
// cells into the frame, and the window thread calls it just before each
// refresh. Lines that scroll away between two refreshes are never drawn,
// yet every refresh shows exactly what drawing each print at once would
// have left in the frame.
#ifndef SCRPACK_STATUS_STATUS_TEXT_H_
#define SCRPACK_STATUS_STATUS_TEXT_H_

#include <vector>

#include "status/frame.h"
#include "status/text_rules.h"

namespace scrpack {

constexpr uint32_t kTextForeground = kOpaqueWhite;
constexpr uint32_t kTextBackground = kOpaqueBlack;

class StatusText : public TextSurface {
 public:
  explicit StatusText(Frame& frame);

  int columns() const override { return columns_; }
  int rows() const override { return rows_; }
  void beginPrint() override;
  void writePiece(const unsigned char* bytes, int count) override;
  void scrollUp(int count) override;
  void endPrint() override;

  // Brings the frame up to date with the grid: the scrolls since the last
  // paint, then every cell written since. Call it with the frame lock held.
  void paint();

 private:
  // Grid rows are kept in a ring like the frame's; these give row |row|
  // counted from the top.
  unsigned char* cells(int row);
  unsigned char* dirtyCells(int row);
  size_t ringRow(int row) const;
  void drawGlyph(int column, int row, unsigned char byte);
  void touch(int firstPixelRow, int lastPixelRow);

  Frame& frame_;
  const int columns_;
  const int rows_;
  // All guarded by the frame lock.
  std::vector<unsigned char> cells_;      // the character in each cell
  std::vector<unsigned char> dirty_;      // per cell: written since the paint
  std::vector<unsigned char> dirtyRows_;  // per row: some cell is dirty
  int origin_ = 0;                        // the ring row shown on top
  int pendingScroll_ = 0;  // grid rows the frame has still to scroll
  // Pixel rows this print has touched; valid between begin and end.
  int touchedFirst_ = 0;
  int touchedLast_ = -1;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_STATUS_TEXT_H_
