#include "status/text_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrpack {
namespace {

// A surface of characters in memory that records what a print did.
class MemorySurface : public TextSurface {
 public:
  MemorySurface(int columns, int rows)
      : columns_(columns),
        rows_(rows),
        cells_(rows, std::string(columns, '.')) {}

  int columns() const override { return columns_; }
  int rows() const override { return rows_; }
  void beginPrint() override { ++begins; }
  void writePiece(const unsigned char* bytes, int count) override {
    ASSERT_GE(cursor_.row, 0);
    ASSERT_LT(cursor_.row, rows_) << "piece below the last row";
    ASSERT_LE(cursor_.column + count, columns_) << "piece past the right edge";
    cells_[cursor_.row].replace(cursor_.column, count,
                                reinterpret_cast<const char*>(bytes), count);
  }
  void scrollUp(int count) override {
    scrolls.push_back(count);
    for (int i = 0; i < count; ++i) {
      cells_.erase(cells_.begin());
      cells_.push_back(std::string(columns_, '.'));
    }
  }
  void endPrint() override { ++ends; }

  const std::string& row(int r) const { return cells_[r]; }
  // Puts the cursor where earlier prints would have left it.
  void placeAtRow(int row) { cursor_.row = row; }
  void print(const std::string& text) {
    printText(*this, reinterpret_cast<const unsigned char*>(text.data()),
              text.size(), [this] {
                bellAt.push_back(cursor_.column);
                bellRowText.push_back(cells_[cursor_.row]);
              });
  }
  void printLine(const std::string& text) {
    if (!text.empty()) print(text);
    print("\r\n");
  }

  int begins = 0;
  int ends = 0;
  std::vector<int> scrolls;
  std::vector<int> bellAt;
  std::vector<std::string> bellRowText;

 private:
  int columns_;
  int rows_;
  std::vector<std::string> cells_;
};

TEST(TextRules, ControlBytesWithinARow) {
  struct Case {
    const char* name;
    std::string text;
    std::string row0;  // first 16 cells of row 0 afterwards
    int column;        // cursor column afterwards
  };
  const Case cases[] = {
      {"tab after ab", "ab\tq", "ab      q.......", 9},
      {"tab from column 0", "\tq", "        q.......", 9},
      {"tab at a stop", "12345678\tq", "12345678        ", 1},
      {"backspace", "abc\bX", "abX.............", 3},
      {"backspace in column 0 stays", "\bX", "X...............", 1},
      {"backspaces stop at column 0", "ab\b\b\b\bZ", "Zb..............", 1},
      {"lone CR overwrites the row start", "abcdef\rXY", "XYcdef..........", 2},
      {"other control bytes are glyphs", "\x01\x1b\x7f",
       "\x01\x1b\x7f.............", 3},
  };
  for (const Case& c : cases) {
    MemorySurface surface(16, 4);
    surface.print(c.text);
    EXPECT_EQ(surface.row(0), c.row0) << c.name;
    if (std::string(c.name) == "tab at a stop") {
      // The tab filled the row exactly: the cursor wrapped to row 1.
      EXPECT_EQ(surface.cursor().row, 1) << c.name;
    }
    EXPECT_EQ(surface.cursor().column, c.column) << c.name;
  }
}

TEST(TextRules, TabAtTheRightEdge) {
  MemorySurface surface(80, 3);
  surface.print(std::string(79, 'a') + "\tq");  // one space in column 79
  EXPECT_EQ(surface.row(0), std::string(79, 'a') + " ");
  EXPECT_EQ(surface.row(1).substr(0, 2), "q.");

  MemorySurface wide(80, 3);
  wide.print(std::string(72, 'a') + "\tq");  // eight spaces, then wrap
  EXPECT_EQ(wide.row(0), std::string(72, 'a') + std::string(8, ' '));
  EXPECT_EQ(wide.row(1).substr(0, 2), "q.");
  EXPECT_EQ(wide.cursor().column, 1);
}

TEST(TextRules, BellWritesNothingAndKeepsTheRunForLater) {
  MemorySurface surface(16, 2);
  surface.print(
      "ab\x07"
      "c");
  EXPECT_EQ(surface.row(0), "abc.............");
  ASSERT_EQ(surface.bellAt.size(), 1u);
  // The bytes before the bell were not yet written when the tone sounded.
  EXPECT_EQ(surface.bellAt[0], 0);
  EXPECT_EQ(surface.bellRowText[0], "................");
}

TEST(TextRules, StatusLinesFillTheRowsThenScrollOneByOne) {
  MemorySurface surface(16, 4);
  for (const char* line : {"one", "two", "three", "four"}) {
    surface.printLine(line);
  }
  // The CR LF of the line in the last row scrolled at once.
  EXPECT_EQ(surface.row(0), "two.............");
  EXPECT_EQ(surface.row(2), "four............");
  EXPECT_EQ(surface.row(3), "................");
  EXPECT_EQ(surface.cursor().row, 3);
  EXPECT_EQ(surface.cursor().column, 0);
  EXPECT_EQ(surface.scrolls, std::vector<int>{1});
  surface.printLine("five");
  EXPECT_EQ(surface.row(2), "five............");
  EXPECT_EQ(surface.scrolls, (std::vector<int>{1, 1}));
}

TEST(TextRules, FullRowInTheLastRowWaitsForThePendingWrap) {
  MemorySurface surface(8, 4);
  surface.placeAtRow(3);
  surface.print("ABCDEFGH");
  EXPECT_TRUE(surface.scrolls.empty()) << "no scroll right after the text";
  EXPECT_TRUE(surface.cursor().pendingWrap);
  EXPECT_EQ(surface.cursor().column, 7);
  EXPECT_EQ(surface.cursor().row, 3);

  surface.print("\r\n");  // the pending wrap, then the line feed
  EXPECT_EQ(surface.scrolls, (std::vector<int>{1, 1}));
  EXPECT_EQ(surface.row(1), "ABCDEFGH");
  EXPECT_EQ(surface.row(2), "........");
  EXPECT_EQ(surface.row(3), "........");
  EXPECT_FALSE(surface.cursor().pendingWrap);

  surface.printLine("next");
  EXPECT_EQ(surface.row(2), "next....");
}

TEST(TextRules, LongTextsWrapAtTheRightEdge) {
  struct Case {
    int length;
    int rowsTaken;  // rows before the next status line starts
  };
  const Case cases[] = {{8, 2}, {9, 2}, {15, 2}, {16, 3}};
  for (const Case& c : cases) {
    MemorySurface surface(8, 6);
    surface.printLine(std::string(c.length, 'x'));
    surface.printLine("n");
    EXPECT_EQ(surface.row(c.rowsTaken), "n.......") << c.length;
    EXPECT_TRUE(surface.scrolls.empty()) << c.length;
  }
}

TEST(TextRules, ZeroBytePrintChangesNothing) {
  MemorySurface surface(8, 2);
  surface.placeAtRow(1);
  surface.print("ABCDEFGH");
  ASSERT_TRUE(surface.cursor().pendingWrap);
  const int begins = surface.begins;
  surface.print("");
  EXPECT_EQ(surface.begins, begins) << "a zero-byte print is no print";
  EXPECT_TRUE(surface.cursor().pendingWrap);
  EXPECT_TRUE(surface.scrolls.empty());
}

TEST(TextRules, ScrollsBeforeEachPieceBelowTheLastRow) {
  MemorySurface surface(4, 3);
  surface.placeAtRow(2);
  surface.print("abcdefghij");  // three pieces from the last row
  EXPECT_EQ(surface.row(0), "abcd");
  EXPECT_EQ(surface.row(1), "efgh");
  EXPECT_EQ(surface.row(2), "ij..");
  EXPECT_EQ(surface.scrolls, (std::vector<int>{1, 1}));
  EXPECT_EQ(surface.begins, 1);
  EXPECT_EQ(surface.ends, 1);
}

TEST(TextRules, LineFeedsBelowTheBottomScrollOnceAtTheEnd) {
  MemorySurface surface(4, 3);
  surface.placeAtRow(2);
  surface.print("a\n\n\n");
  EXPECT_EQ(surface.scrolls, std::vector<int>{3});
  EXPECT_EQ(surface.cursor().row, 2);
  EXPECT_EQ(surface.row(0), "....");
}

}  // namespace
}  // namespace scrpack
