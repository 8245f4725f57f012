// The status window's text grid: 8 x 8 code page 437 glyphs, white on
// black, on a grid that covers the frame exactly (80 x 60 cells for the
// 640 x 480 window).
//
// A print holds the frame lock from its beginning to its end and marks the
// pixel rows it touched before releasing it, so the window thread shows
// every print whole, never in part.
#ifndef SCRPACK_STATUS_STATUS_TEXT_H_
#define SCRPACK_STATUS_STATUS_TEXT_H_

#include "status/frame.h"
#include "status/text_rules.h"

namespace scrpack {

constexpr uint32_t kTextForeground = kOpaqueWhite;
constexpr uint32_t kTextBackground = kOpaqueBlack;

class StatusText : public TextSurface {
 public:
  explicit StatusText(Frame& frame) : frame_(frame) {}

  int columns() const override;
  int rows() const override;
  void beginPrint() override;
  void writePiece(const unsigned char* bytes, int count) override;
  void scrollUp(int count) override;
  void endPrint() override;

 private:
  void drawGlyph(int column, int row, unsigned char byte);
  void touch(int firstPixelRow, int lastPixelRow);

  Frame& frame_;
  // Pixel rows this print has touched; valid between begin and end.
  int touchedFirst_ = 0;
  int touchedLast_ = -1;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_STATUS_TEXT_H_
