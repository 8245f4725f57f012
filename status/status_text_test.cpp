#include "status/status_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "status/font.h"

namespace scrpack {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u;

// The grid with its cursor put where earlier prints would have left it.
class PlacedText : public StatusText {
 public:
  using StatusText::StatusText;
  void place(int column, int row) { cursor_ = TextCursor{column, row, false}; }
};

class StatusTextTest : public ::testing::Test {
 protected:
  StatusTextTest() : frame_(640, 480), text_(frame_) {}

  void print(const std::string& bytes) {
    printText(text_, reinterpret_cast<const unsigned char*>(bytes.data()),
              bytes.size(),
              [this] { lockHeldAtBell_ = frame_.lock().nesting(); });
  }
  void printLine(const std::string& line) {
    if (!line.empty()) print(line);
    print("\r\n");
  }

  // Whether the cell shows |byte|'s glyph exactly, white on black.
  ::testing::AssertionResult cellShows(int column, int row,
                                       unsigned char byte) {
    const unsigned char* glyph = glyphRows(byte);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const uint32_t want = (glyph[y] >> x) & 1 ? kOpaqueWhite : kOpaqueBlack;
        const uint32_t got = painted().row(row * 8 + y)[column * 8 + x];
        if (got != want) {
          return ::testing::AssertionFailure()
                 << "cell (" << column << "," << row << ") pixel (" << x << ","
                 << y << ") is " << std::hex << got << " for byte "
                 << int(byte);
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  // Whether a text row shows |text| from column 0 and blanks after it.
  ::testing::AssertionResult rowShows(int row, const std::string& text) {
    for (int column = 0; column < 80; ++column) {
      const unsigned char byte =
          column < static_cast<int>(text.size()) ? text[column] : ' ';
      auto result = cellShows(column, row, byte);
      if (!result) return result << " in row " << row;
    }
    return ::testing::AssertionSuccess();
  }

  std::vector<int> markedRows() {
    std::vector<int> rows;
    frame_.forEachChangedBand([&rows](int first, int count) {
      for (int y = first; y < first + count; ++y) rows.push_back(y);
    });
    return rows;
  }

  void clearMarks() { frame_.clearMarks(); }

  // The frame as the next refresh shows it.
  const Frame& painted() {
    text_.paint();
    return frame_;
  }

  Frame frame_;
  PlacedText text_;
  int lockHeldAtBell_ = -1;
};

TEST_F(StatusTextTest, GridCoversTheFrame) {
  EXPECT_EQ(text_.columns(), 80);
  EXPECT_EQ(text_.rows(), 60);
}

TEST_F(StatusTextTest, GlyphReplacesTheWholeCell) {
  frame_.fillAll(kRed);
  text_.place(3, 2);
  print("A\xDB");
  EXPECT_TRUE(cellShows(3, 2, 'A'));
  EXPECT_TRUE(cellShows(4, 2, 0xDB));
  // The neighbours keep what they had.
  EXPECT_EQ(painted().row(16)[2 * 8 + 7], kRed);
  EXPECT_EQ(painted().row(16)[5 * 8], kRed);
  EXPECT_EQ(painted().row(15)[3 * 8], kRed);
}

TEST_F(StatusTextTest, PrintMarksExactlyTheRowsItTouched) {
  text_.place(0, 5);
  print("abc");
  std::vector<int> expected;
  for (int y = 40; y < 48; ++y) expected.push_back(y);
  EXPECT_EQ(markedRows(), expected);

  clearMarks();
  print("\r\n");  // moves the cursor, draws nothing
  EXPECT_TRUE(markedRows().empty());

  text_.place(0, 59);
  print("x\r\n");  // draws in row 59, then scrolls the whole grid
  EXPECT_EQ(markedRows().size(), 480u);
}

TEST_F(StatusTextTest, ScrollMovesPixelsAndBlanksTheBottom) {
  printLine("top");
  printLine("second");
  text_.scrollUp(1);
  EXPECT_TRUE(rowShows(0, "second"));
  EXPECT_TRUE(rowShows(59, ""));
  for (int k : {60, 61, 1000}) {
    printLine("again");
    text_.scrollUp(k);
    for (uint32_t pixel : painted().picture())
      ASSERT_EQ(pixel, kOpaqueBlack) << k;
  }
}

TEST_F(StatusTextTest, SixtiethLineScrollsAtOnce) {
  for (int n = 1; n <= 60; ++n) printLine("line " + std::to_string(n));
  EXPECT_TRUE(rowShows(0, "line 2"));
  EXPECT_TRUE(rowShows(58, "line 60"));
  EXPECT_TRUE(rowShows(59, ""));
  print("line 61");  // its CR LF would scroll it up again
  EXPECT_TRUE(rowShows(59, "line 61"));
}

TEST_F(StatusTextTest, ManyScrollsKeepTheLatestLinesInOrder) {
  // Far more scrolls than the picture has rows, with partial row bands.
  for (int n = 1; n <= 500; ++n) printLine("line " + std::to_string(n));
  for (int row = 0; row < 59; ++row) {
    ASSERT_TRUE(rowShows(row, "line " + std::to_string(442 + row)));
  }
  EXPECT_TRUE(rowShows(59, ""));
  text_.scrollUp(7);  // a scroll that is no multiple of the rows
  EXPECT_TRUE(rowShows(0, "line 449"));
  EXPECT_TRUE(rowShows(51, "line 500"));
  EXPECT_TRUE(rowShows(52, ""));
}

TEST_F(StatusTextTest, LongNamesWrapOntoFollowingRows) {
  struct Case {
    int length;
    int nextRow;  // where the following status line starts
  };
  const Case cases[] = {{80, 2}, {81, 2}, {159, 2}, {160, 3}};
  for (const Case& c : cases) {
    frame_.fillAll(kOpaqueBlack);
    text_.resetCursor();
    const std::string name(static_cast<size_t>(c.length), 'n');
    printLine(name);
    printLine("next");
    EXPECT_TRUE(rowShows(0, name.substr(0, 80))) << c.length;
    EXPECT_TRUE(rowShows(c.nextRow, "next")) << c.length;
  }
}

TEST_F(StatusTextTest, FullRowInRowFiftyNineEndsTwoRowsUp) {
  text_.place(0, 59);
  const std::string name(80, 'w');
  print(name);
  EXPECT_TRUE(rowShows(59, name)) << "no scroll right after the name";
  print("\r\n");
  EXPECT_TRUE(rowShows(57, name));
  EXPECT_TRUE(rowShows(58, ""));
  EXPECT_TRUE(rowShows(59, ""));
  print("next");
  EXPECT_TRUE(rowShows(59, "next"));
}

TEST_F(StatusTextTest, ZeroAndFfAreBlankAndOtherControlBytesAreGlyphs) {
  frame_.fillAll(kRed);
  print(std::string("\x00\xFF\x01\x1B\x7F", 5));
  for (int column = 0; column < 2; ++column) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        ASSERT_EQ(painted().row(y)[column * 8 + x], kOpaqueBlack);
      }
    }
  }
  EXPECT_TRUE(cellShows(2, 0, 0x01));
  EXPECT_TRUE(cellShows(3, 0, 0x1B));
  EXPECT_TRUE(cellShows(4, 0, 0x7F));
}

TEST_F(StatusTextTest, BellSoundsWithTheFrameLockHeld) {
  print(
      "ab\x07"
      "c");
  EXPECT_EQ(lockHeldAtBell_, 1) << "a refresh must wait for the whole print";
  EXPECT_EQ(frame_.lock().nesting(), 0) << "released at the end of the print";
  EXPECT_TRUE(rowShows(0, "abc"));
}

TEST(StatusTextPaint, PaintingLateShowsWhatPaintingEveryPrintShows) {
  // The same prints on two grids: one painted after every print, as if
  // drawn at once, one painted only now and then, as refreshes fall. At
  // each of those paints the two frames must be equal, pixel for pixel.
  Frame eager(640, 480);
  Frame late(640, 480);
  StatusText eagerText(eager);
  StatusText lateText(late);
  std::vector<std::string> prints;
  for (int n = 0; n < 400; ++n) {
    std::string line = "name " + std::to_string(n);
    if (n % 7 == 0) line += std::string(static_cast<size_t>(n % 170), 'L');
    if (n % 11 == 0) line += "\tab\bX\rY";
    if (n % 13 == 0) line += "\n\n\n";
    prints.push_back(line);
    prints.push_back("\r\n");
    if (n % 50 == 0) prints.push_back(std::string(80 * 61, 'f'));
  }
  int paints = 0;
  size_t nextPaint = 0;
  for (size_t i = 0; i < prints.size(); ++i) {
    const auto* bytes =
        reinterpret_cast<const unsigned char*>(prints[i].data());
    printText(eagerText, bytes, prints[i].size(), nullptr);
    printText(lateText, bytes, prints[i].size(), nullptr);
    eagerText.paint();
    if (i == nextPaint || i + 1 == prints.size()) {
      lateText.paint();
      ++paints;
      ASSERT_TRUE(late.picture() == eager.picture()) << "after print " << i;
      // Gaps of 1 to 97 prints: from no scroll at all to more than the
      // whole grid.
      nextPaint = i + 1 + (i * 37) % 97;
    }
  }
  EXPECT_GT(paints, 10);
}

}  // namespace
}  // namespace scrpack
