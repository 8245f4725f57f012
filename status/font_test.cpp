#include "status/font.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef SCRPACK_FONT_ART
#error "SCRPACK_FONT_ART must name status/font_cp437.txt"
#endif

namespace scrpack {
namespace {

using Glyph = std::array<std::string, kGlyphHeight>;

// The font art read line by line, independently of the build-time generator,
// so the two can be checked against each other.
struct FontArt {
  std::vector<std::string> lines;
  std::vector<int> header_values;  // value named by each header, in file order
  std::vector<Glyph> glyphs;
  std::vector<std::string> faults;  // "line N: ..." for anything malformed
};

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool isBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

FontArt parseArt(const std::string& path) {
  FontArt art;
  art.lines = readLines(path);
  const auto& lines = art.lines;
  auto fault = [&](size_t index, const std::string& what) {
    art.faults.push_back("line " + std::to_string(index + 1) + ": " + what);
  };
  size_t i = 0;
  while (i < lines.size()) {
    const std::string& line = lines[i];
    if (isBlankLine(line) || line[0] == ';') {
      ++i;
      continue;
    }
    if (line.size() < 4 || line.compare(0, 2, "0x") != 0 ||
        (line.size() > 4 && line[4] != ' ')) {
      fault(i, "not a glyph header: '" + line + "'");
      ++i;
      continue;
    }
    art.header_values.push_back(std::stoi(line.substr(2, 2), nullptr, 16));
    Glyph glyph;
    for (int row = 0; row < kGlyphHeight; ++row) {
      ++i;
      if (i >= lines.size()) {
        fault(i - 1, "file ends inside a glyph");
        break;
      }
      const std::string& pixels = lines[i];
      if (pixels.size() != kGlyphWidth ||
          pixels.find_first_not_of(".#") != std::string::npos) {
        fault(i, "bad glyph row '" + pixels + "'");
      }
      glyph[row] = pixels;
    }
    art.glyphs.push_back(glyph);
    ++i;
  }
  return art;
}

const FontArt& art() {
  static const FontArt parsed = parseArt(SCRPACK_FONT_ART);
  return parsed;
}

// Whether the art has pixel (row, column) of glyph code set; out of range
// rows or columns read as unset so a malformed glyph fails comparisons.
bool artPixel(int code, int row, int column) {
  const std::string& pixels = art().glyphs.at(code)[row];
  return column < static_cast<int>(pixels.size()) && pixels[column] == '#';
}

bool tablePixel(int code, int row, int column) {
  return (glyphRows(static_cast<unsigned char>(code))[row] >> column) & 1;
}

int tablePixelCount(int code) {
  int count = 0;
  for (int row = 0; row < kGlyphHeight; ++row) {
    count += static_cast<int>(
        std::bitset<8>(glyphRows(static_cast<unsigned char>(code))[row])
            .count());
  }
  return count;
}

std::string hexByte(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

TEST(FontArt, HasAllGlyphsInOrderEachEightByEight) {
  const FontArt& font = art();
  ASSERT_FALSE(font.lines.empty()) << "cannot read " << SCRPACK_FONT_ART;
  for (const std::string& fault : font.faults) ADD_FAILURE() << fault;
  ASSERT_EQ(font.glyphs.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(font.header_values[code], code) << "header number " << code;
    for (const std::string& row : font.glyphs[code]) {
      EXPECT_EQ(row.size(), 8u) << hexByte(code);
    }
  }
}

TEST(FontArt, OnlyNullSpaceAndNonBreakingSpaceAreBlank) {
  ASSERT_EQ(art().glyphs.size(), 256u);
  const std::set<int> blank = {0x00, 0x20, 0xFF};
  for (int code = 0; code < 256; ++code) {
    bool any_set = false;
    for (const std::string& row : art().glyphs[code]) {
      any_set = any_set || row.find('#') != std::string::npos;
    }
    EXPECT_EQ(any_set, blank.count(code) == 0) << hexByte(code);
  }
}

TEST(FontArt, DrawnGlyphsAreAllDifferent) {
  ASSERT_EQ(art().glyphs.size(), 256u);
  std::map<Glyph, int> seen;
  for (int code = 0; code < 256; ++code) {
    if (code == 0x00 || code == 0x20 || code == 0xFF) continue;
    auto [it, inserted] = seen.emplace(art().glyphs[code], code);
    EXPECT_TRUE(inserted) << hexByte(code) << " repeats "
                          << hexByte(it->second);
  }
}

TEST(FontTable, MatchesArtBitForBitWithLeftmostPixelInBitZero) {
  ASSERT_EQ(art().glyphs.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        ASSERT_EQ(tablePixel(code, row, column), artPixel(code, row, column))
            << hexByte(code) << " row " << row << " column " << column
            << " art row '" << art().glyphs[code][row] << "'";
      }
    }
  }
}

TEST(FontTable, GlyphRowsPointsAtTheGlyphsEightBytes) {
  for (int code : {0x00, 0x01, 0x41, 0x80, 0xFF}) {
    EXPECT_EQ(glyphRows(static_cast<unsigned char>(code)),
              kFontCp437 + 8 * code)
        << hexByte(code);
  }
}

// Glyphs whose exact rows are known; a table shifted by a row or a glyph, or
// written with the wrong bit order, breaks them.
TEST(FontTable, GlyphsWithKnownRows) {
  struct Case {
    int code;
    std::array<unsigned char, 8> rows;
  };
  const Case cases[] = {
      {0x00, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {0x20, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {0x5F, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}},  // _
      {0xB3,
       {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}},  // single vertical
      {0xBA,
       {0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14}},  // double vertical
      {0xC4,
       {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}},  // single horizontal
      {0xCD,
       {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00}},  // double horizontal
      {0xDA,
       {0x00, 0x00, 0x00, 0xF8, 0x08, 0x08, 0x08, 0x08}},  // down and right
      {0xD9, {0x08, 0x08, 0x08, 0x0F, 0x00, 0x00, 0x00, 0x00}},  // up and left
      {0xDB, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},  // full block
      {0xDC, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},  // lower half
      {0xDD, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F}},  // left half
      {0xDE, {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}},  // right half
      {0xDF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},  // upper half
      {0xFF, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    const unsigned char* rows = glyphRows(static_cast<unsigned char>(c.code));
    for (int row = 0; row < kGlyphHeight; ++row) {
      EXPECT_EQ(rows[row], c.rows[row]) << hexByte(c.code) << " row " << row;
    }
  }
}

TEST(FontTable, ShadesCoverAQuarterHalfAndThreeQuartersOfEveryRow) {
  const struct {
    int code;
    int pixels_per_row;
  } shades[] = {{0xB0, 2}, {0xB1, 4}, {0xB2, 6}};
  for (const auto& shade : shades) {
    for (int row = 0; row < kGlyphHeight; ++row) {
      EXPECT_EQ(
          std::bitset<8>(glyphRows(static_cast<unsigned char>(shade.code))[row])
              .count(),
          static_cast<size_t>(shade.pixels_per_row))
          << hexByte(shade.code) << " row " << row;
    }
  }
  EXPECT_LT(tablePixelCount(0xB0), tablePixelCount(0xB1));
  EXPECT_LT(tablePixelCount(0xB1), tablePixelCount(0xB2));
}

// Lines of the box drawing glyphs must leave the cell exactly where their
// neighbours pick them up: a single line at row/column 3, a double line at
// rows/columns 2 and 4.
TEST(FontTable, BoxDrawingLinesMeetTheCellEdges) {
  enum Arm { kNone = 0, kSingle = 1, kDouble = 2 };
  struct Case {
    int code;
    Arm up, down, left, right;
  };
  const Case cases[] = {
      {0xB3, kSingle, kSingle, kNone, kNone},
      {0xB4, kSingle, kSingle, kSingle, kNone},
      {0xB5, kSingle, kSingle, kDouble, kNone},
      {0xB6, kDouble, kDouble, kSingle, kNone},
      {0xB7, kNone, kDouble, kSingle, kNone},
      {0xB8, kNone, kSingle, kDouble, kNone},
      {0xB9, kDouble, kDouble, kDouble, kNone},
      {0xBA, kDouble, kDouble, kNone, kNone},
      {0xBB, kNone, kDouble, kDouble, kNone},
      {0xBC, kDouble, kNone, kDouble, kNone},
      {0xBD, kDouble, kNone, kSingle, kNone},
      {0xBE, kSingle, kNone, kDouble, kNone},
      {0xBF, kNone, kSingle, kSingle, kNone},
      {0xC0, kSingle, kNone, kNone, kSingle},
      {0xC1, kSingle, kNone, kSingle, kSingle},
      {0xC2, kNone, kSingle, kSingle, kSingle},
      {0xC3, kSingle, kSingle, kNone, kSingle},
      {0xC4, kNone, kNone, kSingle, kSingle},
      {0xC5, kSingle, kSingle, kSingle, kSingle},
      {0xC6, kSingle, kSingle, kNone, kDouble},
      {0xC7, kDouble, kDouble, kNone, kSingle},
      {0xC8, kDouble, kNone, kNone, kDouble},
      {0xC9, kNone, kDouble, kNone, kDouble},
      {0xCA, kDouble, kNone, kDouble, kDouble},
      {0xCB, kNone, kDouble, kDouble, kDouble},
      {0xCC, kDouble, kDouble, kNone, kDouble},
      {0xCD, kNone, kNone, kDouble, kDouble},
      {0xCE, kDouble, kDouble, kDouble, kDouble},
      {0xCF, kSingle, kNone, kDouble, kDouble},
      {0xD0, kDouble, kNone, kSingle, kSingle},
      {0xD1, kNone, kSingle, kDouble, kDouble},
      {0xD2, kNone, kDouble, kSingle, kSingle},
      {0xD3, kDouble, kNone, kNone, kSingle},
      {0xD4, kSingle, kNone, kNone, kDouble},
      {0xD5, kNone, kSingle, kNone, kDouble},
      {0xD6, kNone, kDouble, kNone, kSingle},
      {0xD7, kDouble, kDouble, kSingle, kSingle},
      {0xD8, kSingle, kSingle, kDouble, kDouble},
      {0xD9, kSingle, kNone, kSingle, kNone},
      {0xDA, kNone, kSingle, kNone, kSingle},
  };
  auto expected = [](Arm arm) {
    switch (arm) {
      case kSingle:
        return std::set<int>{3};
      case kDouble:
        return std::set<int>{2, 4};
      default:
        return std::set<int>{};
    }
  };
  for (const Case& c : cases) {
    std::set<int> top, bottom, left, right;
    for (int i = 0; i < 8; ++i) {
      if (tablePixel(c.code, 0, i)) top.insert(i);
      if (tablePixel(c.code, 7, i)) bottom.insert(i);
      if (tablePixel(c.code, i, 0)) left.insert(i);
      if (tablePixel(c.code, i, 7)) right.insert(i);
    }
    EXPECT_EQ(top, expected(c.up)) << hexByte(c.code) << " top edge";
    EXPECT_EQ(bottom, expected(c.down)) << hexByte(c.code) << " bottom edge";
    EXPECT_EQ(left, expected(c.left)) << hexByte(c.code) << " left edge";
    EXPECT_EQ(right, expected(c.right)) << hexByte(c.code) << " right edge";
  }
}

// Letters and digits keep column 7 free as spacing; only the letters with a
// descender reach down into row 7.
TEST(FontTable, LettersAndDigitsLeaveSpacingAndOnlyDescendersUseTheBottomRow) {
  const std::string descenders = "gjpqy";
  std::string characters;
  for (char c = '0'; c <= '9'; ++c) characters += c;
  for (char c = 'A'; c <= 'Z'; ++c) characters += c;
  for (char c = 'a'; c <= 'z'; ++c) characters += c;
  for (char c : characters) {
    const unsigned char* rows = glyphRows(static_cast<unsigned char>(c));
    for (int row = 0; row < kGlyphHeight; ++row) {
      EXPECT_EQ(rows[row] & 0x80, 0)
          << "'" << c << "' row " << row << " column 7";
    }
    const bool descends = descenders.find(c) != std::string::npos;
    EXPECT_EQ(rows[7] != 0, descends) << "'" << c << "' bottom row";
  }
  EXPECT_NE(std::memcmp(glyphRows('A'), glyphRows('B'), kGlyphHeight), 0);
}

#if defined(SCRPACK_CMAKE_COMMAND) && defined(SCRPACK_FONT_TABLE_SCRIPT)

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

struct GeneratorRun {
  int status;
  std::string output;
};

GeneratorRun runGenerator(const std::filesystem::path& input,
                          const std::filesystem::path& output) {
  const std::string command = std::string("\"") + SCRPACK_CMAKE_COMMAND +
                              "\" -DINPUT=\"" + input.string() +
                              "\" -DOUTPUT=\"" + output.string() + "\" -P \"" +
                              SCRPACK_FONT_TABLE_SCRIPT + "\" 2>&1";
  GeneratorRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  std::string text;
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  run.status = pclose(pipe);
  // CMake wraps long messages; fold all white space to single blanks so the
  // message can be searched for.
  std::istringstream words(text);
  std::string word;
  while (words >> word) run.output += (run.output.empty() ? "" : " ") + word;
  return run;
}

class FontTableGenerator : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("scrpack_font_test_" + std::to_string(random()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::filesystem::path write(const std::vector<std::string>& lines) {
    const std::filesystem::path path = dir_ / "art.txt";
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) out << line << '\n';
    return path;
  }

  std::filesystem::path dir_;
};

// Index of the line holding the header of glyph code.
size_t headerIndex(const std::vector<std::string>& lines, int code) {
  const std::string header = hexByte(code);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].compare(0, 4, header) == 0) return i;
  }
  return lines.size();
}

TEST_F(FontTableGenerator, WritesTheTableForTheRealArt) {
  const std::filesystem::path output = dir_ / "table.cpp";
  const GeneratorRun run = runGenerator(SCRPACK_FONT_ART, output);
  ASSERT_EQ(run.status, 0) << run.output;
  std::ifstream in(output);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("const unsigned char kFontCp437[256 * 8] = {"),
            std::string::npos);
  EXPECT_NE(text.str().find(
                "0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00,  // 0x41"),
            std::string::npos)
      << text.str().substr(0, 400);
}

TEST_F(FontTableGenerator, RejectsFaultyArtNamingTheLine) {
  const std::vector<std::string> good = art().lines;
  ASSERT_FALSE(good.empty());
  const size_t a = headerIndex(good, 0x41);
  const size_t last = headerIndex(good, 0xFF);
  ASSERT_LT(last, good.size());

  struct Case {
    const char* name;
    // Changes the art and returns the 1-based number of the line to report.
    std::function<size_t(std::vector<std::string>&)> spoil;
    const char* message;
  };
  const Case cases[] = {
      {"short row",
       [&](auto& l) {
         l[a + 3] = "#######";
         return a + 4;
       },
       "glyph row"},
      {"long row",
       [&](auto& l) {
         l[a + 3] += "#";
         return a + 4;
       },
       "glyph row"},
      {"foreign pixel",
       [&](auto& l) {
         l[a + 8][2] = 'x';
         return a + 9;
       },
       "glyph row"},
      {"missing row",
       [&](auto& l) {
         l.erase(l.begin() + a + 1);
         return a + 9;  // the line after the 7 rows left
       },
       "glyph row"},
      {"blank line inside a glyph",
       [&](auto& l) {
         l.insert(l.begin() + a + 2, "");
         return a + 3;
       },
       "glyph row"},
      {"glyph out of order",
       [&](auto& l) {
         l[a] = "0x42 B";
         return a + 1;
       },
       "out of order"},
      {"junk between glyphs",
       [&](auto& l) {
         l.insert(l.begin() + a, "glyph A");
         return a + 1;
       },
       "header"},
      {"header without separating space",
       [&](auto& l) {
         l[a] = "0x41A";
         return a + 1;
       },
       "header"},
      {"last glyph missing",
       [&](auto& l) {
         l.resize(last);
         return l.size();
       },
       "ends before glyph 0xFF"},
      {"last glyph cut short",
       [&](auto& l) {
         l.resize(last + 5);
         return last + 1;
       },
       "ends after 4 of 8 rows"},
      {"glyph after 0xFF",
       [&](auto& l) {
         l.push_back("0x00 again");
         for (int row = 0; row < 8; ++row) l.push_back("........");
         return l.size() - 8;
       },
       "more than 256 glyphs"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = good;
    const size_t line_number = c.spoil(lines);
    const std::filesystem::path output = dir_ / "table.cpp";
    std::filesystem::remove(output);
    const GeneratorRun run = runGenerator(write(lines), output);
    EXPECT_NE(run.status, 0) << c.name;
    EXPECT_NE(run.output.find("art.txt:" + std::to_string(line_number) + ":"),
              std::string::npos)
        << c.name << ": expected line " << line_number << " in\n"
        << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.name << "\n"
                                                             << run.output;
    EXPECT_FALSE(std::filesystem::exists(output)) << c.name;
  }
}

#endif  // SCRPACK_CMAKE_COMMAND && SCRPACK_FONT_TABLE_SCRIPT

}  // namespace
}  // namespace scrpack
