// The text rules on a small grid with arbitrary prints: the cursor stays
// on the grid, every piece fits its row, prints are bracketed, and a
// pending wrap sits only on the last cell.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "status/text_rules.h"

namespace {

class GridSurface : public scrpack::TextSurface {
 public:
  GridSurface(int columns, int rows) : columns_(columns), rows_(rows) {}

  int columns() const override { return columns_; }
  int rows() const override { return rows_; }
  void beginPrint() override {
    FUZZ_CHECK(!printing_);
    printing_ = true;
  }
  void writePiece(const unsigned char*, int count) override {
    FUZZ_CHECK(printing_ && count > 0);
    checkCursor();
    FUZZ_CHECK(cursor_.column + count <= columns_);
  }
  void scrollUp(int count) override { FUZZ_CHECK(printing_ && count > 0); }
  void endPrint() override {
    FUZZ_CHECK(printing_);
    printing_ = false;
  }
  void checkCursor() const {
    FUZZ_CHECK(cursor_.column >= 0 && cursor_.column < columns_);
    FUZZ_CHECK(cursor_.row >= 0 && cursor_.row < rows_);
  }
  bool printing() const { return printing_; }

 private:
  const int columns_;
  const int rows_;
  bool printing_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // The grid's size, and the length of each print, come from the input.
  GridSurface surface(data[0] % 12 + 1, data[1] % 6 + 1);
  const size_t printLength = data[2] % 40;
  size_t bells = 0;
  size_t expectedBells = 0;
  for (size_t at = 3; at <= size; at += printLength + 1) {
    const size_t count = at + printLength <= size ? printLength : size - at;
    for (size_t i = 0; i < count; ++i) expectedBells += data[at + i] == 0x07;
    scrpack::printText(surface, data + at, count, [&bells] { ++bells; });
    FUZZ_CHECK(!surface.printing());
    surface.checkCursor();
    if (surface.cursor().pendingWrap) {
      FUZZ_CHECK(surface.cursor().column == surface.columns() - 1 &&
                 surface.cursor().row == surface.rows() - 1);
    }
    if (count == 0) break;
  }
  FUZZ_CHECK(bells == expectedBells);
  return 0;
}
